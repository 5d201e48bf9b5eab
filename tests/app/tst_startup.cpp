// The program's start flow as an operator meets it: the sound-device dialog, then the main
// window; without a usable Init.cfg the settings dialog alone with the reason, whose Save
// writes the nine lines and leaves no window; the next start opens the main window.

#include "app/Application.h"
#include "support/FakeSerialPort.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace veltrane;

namespace {

QWidget *visibleTopLevel(const QString &objectName)
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible() && w->objectName() == objectName)
            return w;
    }
    return nullptr;
}

int visibleTopLevels()
{
    int n = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        n += w->isVisible() ? 1 : 0;
    return n;
}

void closeAll()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class tst_Startup : public QObject
{
    Q_OBJECT

private slots:
    void init() { QApplication::setQuitOnLastWindowClosed(false); }
    void cleanup() { closeAll(); }

    void soundChoiceThenMainWindow_data();
    void soundChoiceThenMainWindow();
    void cancelOpensNothing();
    void firstStartSaveThenRestart();
    void resetOpensOneSettingsDialog();
};

void tst_Startup::soundChoiceThenMainWindow_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("device");
    QTest::newRow("untouched default") << QString() << -1;
    QTest::newRow("no sound") << QStringLiteral("99 サウンドは使用しない") << 99;
    QTest::newRow("typed device") << QStringLiteral("5") << 5;
}

void tst_Startup::soundChoiceThenMainWindow()
{
    QFETCH(QString, choice);
    QFETCH(int, device);
    QTemporaryDir dir;
    QFile cfg(dir.filePath(QStringLiteral("Init.cfg")));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write("MYCALL=ja1abc\r\nCAT= 1 \r\nRIG= 0 \r\nRS232C=9600,N,8,1\r\n");
    cfg.close();
    QDir::setCurrent(dir.path());

    auto port = std::make_unique<test::FakeSerialPort>();
    app::Application application(std::move(port), nullptr);
    application.start({QStringLiteral("Built-in Audio"), QStringLiteral("USB Audio CODEC")});
    QWidget *sound = visibleTopLevel(QStringLiteral("frmSoundBoard"));
    QVERIFY(sound);
    QCOMPARE(sound->windowTitle(), QStringLiteral("サウンドーボードの選択"));
    auto *list = sound->findChild<QComboBox *>(QStringLiteral("Combo1"));
    QVERIFY(list);
    QCOMPARE(list->count(), 4);  // "-1 Default", "0", "1", "99 ..."
    if (!choice.isEmpty())
        list->setEditText(choice);
    QTest::mouseClick(sound->findChild<QPushButton *>(QStringLiteral("Command1_0")), Qt::LeftButton);

    QTRY_VERIFY(!visibleTopLevel(QStringLiteral("frmSoundBoard")));
    QWidget *main = visibleTopLevel(QStringLiteral("frmKorvane"));
    QVERIFY(main);
    QCOMPARE(main->windowTitle(), QStringLiteral("Veltrane / JA1ABC /CAT=1 /RIG=FT2000 /STATUS:OK /Ver 1.05"));
    QCOMPARE(application.state().soundDevice, device);
}

void tst_Startup::cancelOpensNothing()
{
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    app::Application application(std::make_unique<test::FakeSerialPort>(), nullptr);
    application.start({});
    QWidget *sound = visibleTopLevel(QStringLiteral("frmSoundBoard"));
    QVERIFY(sound);
    QTest::mouseClick(sound->findChild<QPushButton *>(QStringLiteral("Command1_1")), Qt::LeftButton);
    QTRY_COMPARE(visibleTopLevels(), 0);
    QCOMPARE(application.state().soundDevice, 0);
}

void tst_Startup::firstStartSaveThenRestart()
{
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    {
        app::Application application(std::make_unique<test::FakeSerialPort>(), nullptr);
        application.start({});
        QTest::mouseClick(visibleTopLevel(QStringLiteral("frmSoundBoard"))->findChild<QPushButton *>(
                              QStringLiteral("Command1_0")),
                          Qt::LeftButton);

        // No Init.cfg: the settings dialog alone, saying why; the main window is gone.
        QTRY_VERIFY(visibleTopLevel(QStringLiteral("frmInit")));
        QTRY_VERIFY(!visibleTopLevel(QStringLiteral("frmKorvane")));
        QWidget *settings = visibleTopLevel(QStringLiteral("frmInit"));
        auto *reason = settings->findChild<QLabel *>(QStringLiteral("lblReason"));
        QVERIFY(reason && reason->isVisible());
        QVERIFY2(reason->text().contains(QStringLiteral("Init.cfg")), qPrintable(reason->text()));
        // The unload step ran: the position file exists.
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("MyVeltraneData.dat"))));

        settings->findChild<QLineEdit *>(QStringLiteral("Text1"))->setText(QStringLiteral("JA1ABC"));
        QTest::mouseClick(settings->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        QMessageBox *box = nullptr;
        QTRY_VERIFY((box = qobject_cast<QMessageBox *>(visibleTopLevel(QStringLiteral("msgSaved")))));
        QCOMPARE(box->text(), QStringLiteral("設定を完了しました。再度起動してください。"));
        box->button(QMessageBox::Ok)->click();
        QTRY_COMPARE(visibleTopLevels(), 0);  // the program would end here

        QFile saved(dir.filePath(QStringLiteral("Init.cfg")));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = saved.readAll().split('\n');
        QCOMPARE(lines.size(), 10);  // nine CR LF lines
        QCOMPARE(lines.at(0), QByteArray("MYCALL=JA1ABC\r"));
        QCOMPARE(lines.at(2), QByteArray("CAT= 1 \r"));
        QCOMPARE(lines.at(4), QByteArray("RIG= 0 \r"));
        QCOMPARE(lines.at(6), QByteArray("RS232C=9600,N,8,1\r"));
        QCOMPARE(lines.at(7), QByteArray("ICOM=74\r"));
        QCOMPARE(lines.at(8), QByteArray("CONTROL=45\r"));
    }

    // The next start opens the main window.
    app::Application again(std::make_unique<test::FakeSerialPort>(), nullptr);
    again.start({});
    QTest::mouseClick(visibleTopLevel(QStringLiteral("frmSoundBoard"))->findChild<QPushButton *>(
                          QStringLiteral("Command1_0")),
                      Qt::LeftButton);
    QTRY_VERIFY(visibleTopLevel(QStringLiteral("frmKorvane")));
    QVERIFY(!visibleTopLevel(QStringLiteral("frmInit")));
}

void tst_Startup::resetOpensOneSettingsDialog()
{
    QTemporaryDir dir;
    QFile cfg(dir.filePath(QStringLiteral("Init.cfg")));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write("MYCALL=JA1ABC\r\nCAT= 2 \r\nRIG= 2 \r\nRS232C=38400,N,8,1\r\nICOM=94\r\nCONTROL=E0\r\n");
    cfg.close();
    QDir::setCurrent(dir.path());
    app::Application application(std::make_unique<test::FakeSerialPort>(), nullptr);
    application.state().soundDevice = 99;
    application.openMainWindow();
    QVERIFY(application.mainWindow());
    auto *reset = application.mainWindow()->findChild<QAction *>(QStringLiteral("ReSet"));
    QVERIFY(reset);
    QCOMPARE(reset->text(), QStringLiteral("再設定"));
    reset->trigger();
    reset->trigger();
    int dialogs = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        dialogs += w->isVisible() && w->objectName() == QStringLiteral("frmInit") ? 1 : 0;
    QCOMPARE(dialogs, 1);
    QWidget *settings = visibleTopLevel(QStringLiteral("frmInit"));
    // The dialog shows what the running link uses: the configured addresses and line speed.
    QCOMPARE(settings->findChild<QLineEdit *>(QStringLiteral("Text2"))->text(), QStringLiteral("94"));
    QCOMPARE(settings->findChild<QLineEdit *>(QStringLiteral("Text3"))->text(), QStringLiteral("E0"));
    QVERIFY(visibleTopLevel(QStringLiteral("frmKorvane")));
}

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
