#include "app/CollectionModules.h"

#include "app/TfrmZV_Main.h"
#include "windows/TfrmAdress.h"
#include "windows/TfrmCassette.h"

void registerCollectionWindows()
{
    TfrmZV_Main::registerModule(Module::Addresses, [](QWidget *parent) { return new TfrmAdress(parent); });
    TfrmZV_Main::registerModule(Module::Music, [](QWidget *parent) { return new TfrmCassette(parent); });
}
