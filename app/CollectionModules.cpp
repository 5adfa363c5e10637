#include "app/CollectionModules.h"

#include "app/TfrmZV_Main.h"
#include "windows/TfrmAdress.h"

void registerCollectionWindows()
{
    TfrmZV_Main::registerModule(Module::Addresses, [](QWidget *parent) { return new TfrmAdress(parent); });
}
