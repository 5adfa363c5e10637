#include "app/CollectionModules.h"

#include "app/TfrmZV_Main.h"
#include "windows/TfrmAdress.h"
#include "windows/TfrmBooks.h"
#include "windows/TfrmCassette.h"
#include "windows/TfrmTermin.h"
#include "windows/TfrmVideo.h"
#include "windows/TfrmVordef.h"

void registerCollectionWindows()
{
    TfrmZV_Main::registerModule(Module::Addresses, [](QWidget *parent) { return new TfrmAdress(parent); });
    TfrmZV_Main::registerModule(Module::Videos, [](QWidget *parent) { return new TfrmVideo(parent); });
    TfrmZV_Main::registerModule(Module::Books, [](QWidget *parent) { return new TfrmBooks(parent); });
    TfrmZV_Main::registerModule(Module::Appointments, [](QWidget *parent) { return new TfrmTermin(parent); });
    TfrmZV_Main::registerModule(Module::Music, [](QWidget *parent) { return new TfrmCassette(parent); });
    TfrmZV_Main::registerReferenceWindow([](QWidget *parent) { return new TfrmVordef(parent); });
}
