// Start-up runs strictly in order: configuration, splash and single
// instance, language, password, title, main window. Each step may end the
// program; later steps never run before earlier ones have finished.
#include "app/Startup.h"

#include "app/CollectionModules.h"
#include "app/Config.h"
#include "app/Icons.h"
#include "app/Language.h"
#include "app/SplashWindow.h"
#include "app/TPwDlg.h"
#include "app/TfrmZV_Main.h"
#include "platform/ProgramPlace.h"
#include "platform/SingleInstance.h"
#include "toolkit/text/ExceptionGuard.h"
#include "toolkit/text/Language.h"
#include "toolkit/text/MessageBox.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>

#include <exception>
#include <memory>

namespace {

constexpr int kAlreadyRunningMilliseconds = 2000;
constexpr int kRaiseWaitMilliseconds = 400;
constexpr int kTextIniNotWritable = 10950;

// Qt's own dialog texts (button captions and the like) in the language of
// the chosen language file.
void installQtTranslation(QApplication &app, const QString &languageFile)
{
    QString locale = QStringLiteral("en");
    if (languageFile.compare(QStringLiteral("QorvaGER.lng"), Qt::CaseInsensitive) == 0)
        locale = QStringLiteral("de");
    auto *translator = new QTranslator(&app);
    if (translator->load(QStringLiteral("qtbase_") + locale, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
    else
        delete translator;
}

// The busy cursor from Tessaron.ANI in the working directory, for the whole
// start-up. Qt has no animated cursors; the file switches on the system's own
// busy cursor instead.
void startBusyCursor()
{
    if (QFileInfo::exists(QStringLiteral("Tessaron.ANI")))
        QApplication::setOverrideCursor(Qt::BusyCursor);
}

// The last resort for errors: whatever escapes an event handler that no
// guard wrapped goes to the error logger instead of ending the program.
class TessaronApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (...) {
            tk::reportCurrentException();
            return false;
        }
    }
};

// A later start asked for the window: bring it up where the user is.
void raiseWindow(QWidget &window)
{
    if (window.isMinimized())
        window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace

void SetApplicationTitle()
{
    QApplication::setApplicationName(QStringLiteral("Tessaron"));
}

int runTessaron(int argc, char **argv)
{
    TessaronApplication app(argc, argv);

    QApplication::setWindowIcon(appicons::programIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.tessaron"));

    // 1. Configuration, in the program's folder or, installed, the user's.
    Config &cfg = config();
    try {
        const platform::ProgramPlace place = platform::ProgramPlace::current();
        LoadConfiguration(cfg, place.home);
        cfg.ShareDir = place.shareDir;
    } catch (const std::exception &e) {
        tk::MessageBox::error(nullptr, QString::fromLocal8Bit(e.what()));
        return 1;
    }

    // 2. Splash and single instance.
    startBusyCursor();
    auto splash = std::make_unique<SplashWindow>(QFileInfo(QApplication::applicationFilePath()).lastModified().date());
    platform::SingleInstance instance(QStringLiteral("Tessaron"));
    if (!instance.acquire() && instance.alreadyRunning()) {
        splash->setStatus(QStringLiteral("Tessaron läuft bereits !"));
        splash->show();
        splash->repaint();
        QElapsedTimer elapsed;
        elapsed.start();
        QApplication::processEvents();
        // The running one comes to the front; a hung one costs at most a
        // moment of the two seconds.
        instance.askHolderToRaise(kRaiseWaitMilliseconds);
        while (elapsed.elapsed() < kAlreadyRunningMilliseconds)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        return 0;
    }
    splash->show();
    splash->repaint();
    QApplication::processEvents();

    // 3. Language.
    ChooseLanguage(cfg);
    if (!LoadLanguage(cfg))
        return 1;
    installQtTranslation(app, cfg.Language);
    CheckLanguageVersion(cfg);
    if (cfg.IniWriteFailed) {
        const QString text = LangText(kTextIniNotWritable);
        tk::MessageBox::warning(nullptr, tk::formatText(text.isEmpty() ? QStringLiteral("%s cannot be written.") : text,
                                                        {cfg.iniPath()}));
    }

    // 4. Password.
    if (!cfg.AccessGranted) {
        TPwDlg dialog(cfg.ZVPass);
        dialog.exec();
        dialog.hide();
        cfg.AccessGranted = dialog.accessGranted();
        if (!cfg.AccessGranted)
            return 0;
    }

    // 5. Title.
    SetApplicationTitle();

    // 6. Main window and message loop.
    registerCollectionWindows();
    TfrmZV_Main mainWindow;
    QObject::connect(&mainWindow, &TfrmZV_Main::firstShown, &mainWindow, [&splash]() { splash.reset(); });
    if (qEnvironmentVariable("TESSARON_EXIT_AFTER_START") == QLatin1String("1")) {
        QObject::connect(&mainWindow, &TfrmZV_Main::firstShown, &mainWindow,
                         [&mainWindow]() { QTimer::singleShot(0, &mainWindow, &QWidget::close); });
    }
    instance.listenForRaiseRequests([&mainWindow] { raiseWindow(mainWindow); });
    mainWindow.show();
    return app.exec();
}
