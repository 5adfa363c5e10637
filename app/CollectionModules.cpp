#include "app/CollectionModules.h"

#include "app/TfrmZV_Main.h"
#include "windows/TfrmAdress.h"
#include "windows/TfrmTermin.h"

void registerCollectionWindows()
{
    TfrmZV_Main::registerModule(Module::Addresses, [](QWidget *parent) { return new TfrmAdress(parent); });
    TfrmZV_Main::registerModule(Module::Appointments, [](QWidget *parent) { return new TfrmTermin(parent); });
}
