// The splash: every start step is painted while it runs, and the branding file restyles the splash.
#include "gui/main/splash_screen.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "gui/common/qt_text.h"
#include "gui/common/qt_user_dialog.h"
#include "gui_test_suites.h"
#include "gui_test_support.h"
#include "session/app_state.h"

namespace pelgo::testing {
namespace {

// Records the text a label shows each time it is painted.
class PaintedTexts : public QObject {
public:
    explicit PaintedTexts(QLabel* label) : m_label(label) { label->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_label && event->type() == QEvent::Paint &&
            (texts.isEmpty() || texts.back() != m_label->text())) {
            texts << m_label->text();
        }
        return false;
    }
    QStringList texts;

private:
    QLabel* m_label;
};

class SplashScreenTest : public QObject {
    Q_OBJECT

private slots:
    void everyStartStepIsPaintedWhileItRuns() {
        const Installation installation;
        WriteCp1251Lines(installation.QPath("pelgo.ini"), {"[Setup]", "CreateBackup=1"});
        RecordingDialog dialog;
        QuietProgress progress;
        session::AppState state({installation.Folder(), installation.Path("pelgo"), {}, "IVANOV", "WS-01"}, dialog,
                                progress);
        gui::SplashScreen splash;
        splash.show();
        PaintedTexts painted(splash.findChild<QLabel*>(QStringLiteral("ProgressLine")));

        const auto result = state.Start([&](std::string_view step) { splash.ShowStep(gui::FromCp1251(step)); });
        QCOMPARE(result, session::AppState::StartResult::Running);
        QCOMPARE(painted.texts, (QStringList{"Preparation...", "Read Config...", "Create Menu...", "Backup DeviceTable",
                                             "Backup ConfigFiles", "Create Forms", "Reindex Tables", "Open DeviceTable",
                                             "Open OtherTable", "Run Application"}));
        QCOMPARE(dialog.questions, QStringList());
        state.CloseRequest();
    }

    void usersWithoutRightsSeeTheRefusalAndNoWindow() {
        const Installation installation;
        WriteCp1251Lines(installation.QPath("pelgo.ini"), {"[Users]", "IVANOV=2"});
        gui::QtUserDialog dialog;
        QuietProgress progress;
        session::AppState state({installation.Folder(), installation.Path("pelgo"), {}, "IVANOV", "WS-01"}, dialog,
                                progress);
        QString shown;
        QTimer::singleShot(0, [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr);
            shown = box->text();
            box->accept();
        });
        QCOMPARE(state.Start([](std::string_view) {}), session::AppState::StartResult::NoRights);
        QCOMPARE(shown, QStringLiteral("Excuse, you do not have rights for usage this program."));
        QVERIFY(!state.DeviceTable().IsOpen());
    }

    void theBrandingFileRestylesTheSplash() {
        const Installation installation;
        gui::SplashScreen plain;
        QVERIFY(!plain.ApplyBranding(installation.Folder()));

        QImage picture(40, 20, QImage::Format_RGB32);
        picture.fill(Qt::green);
        QVERIFY(picture.save(installation.QPath("logo.png")));
        WriteCp1251Lines(installation.QPath("pelgo.set"),
                         {"[first]", "1=.\\logo.png", "2=ООО Ромашка", "4=Отдел АСУ", "5=255", "6=clYellow", "7=1"});
        gui::SplashScreen branded;
        QVERIFY(branded.ApplyBranding(installation.Folder()));
        const auto line = [&](int n) {
            return branded.findChild<QLabel*>(QStringLiteral("CaptionLine%1").arg(n))->text();
        };
        QCOMPARE(line(1), QString::fromUtf8("ООО Ромашка  "));
        QCOMPARE(line(2), plain.findChild<QLabel*>(QStringLiteral("CaptionLine2"))->text());
        QCOMPARE(line(3), QString::fromUtf8("Отдел АСУ  "));
        // Colours are stored with red in the low byte.
        QCOMPARE(branded.palette().color(QPalette::Window), QColor(Qt::red));
        QCOMPARE(branded.palette().color(QPalette::WindowText), QColor(Qt::yellow));
        const auto pictures = branded.findChildren<QLabel*>();
        const bool stretchedPicture = std::any_of(pictures.begin(), pictures.end(), [](const QLabel* label) {
            return !label->pixmap().isNull() && label->hasScaledContents();
        });
        QVERIFY(stretchedPicture);
    }
};

} // namespace

std::unique_ptr<QObject> MakeSplashScreenTest() {
    return std::make_unique<SplashScreenTest>();
}

} // namespace pelgo::testing

#include "splash_screen_test.moc"
