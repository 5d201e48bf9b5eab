// The sound device dialog: its rows and tooltips, the value each choice gives, and its two buttons.

#include "config/forms/frmSoundBoard.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using veltrane::config::frmSoundBoard;
using veltrane::config::StationState;

namespace {

QStringList deviceNames(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(u"Input device "_s + QChar(u'A' + i % 26) + QString::number(i));
    return names;
}

QStringList comboRows(const QComboBox *combo)
{
    QStringList rows;
    for (int i = 0; i < combo->count(); ++i)
        rows.append(combo->itemText(i));
    return rows;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace

class tst_frmSoundBoard : public QObject
{
    Q_OBJECT

private slots:
    void load()
    {
        StationState state;
        state.soundDevice = 42;
        state.workDir = u"/nowhere"_s;
        const QStringList names{u"Built-in Audio Analog Stereo"_s, u"USB Audio CODEC"_s};
        QPointer<frmSoundBoard> dlg = new frmSoundBoard(state, names);
        QCOMPARE(dlg->windowTitle(), u"\u30B5\u30A6\u30F3\u30C9\u30FC\u30DC\u30FC\u30C9\u306E\u9078\u629E"_s);
        QVERIFY(dlg->testAttribute(Qt::WA_DeleteOnClose));
        QCOMPARE(state.soundDevice, 0);
        QCOMPARE(state.workDir, QDir::currentPath());

        auto *combo = dlg->findChild<QComboBox *>(u"Combo1"_s);
        QVERIFY(combo);
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->currentText(), u"-1  Default"_s);
        QCOMPARE(comboRows(combo), (QStringList{u"-1 Default"_s, u"0"_s, u"1"_s, u"99 サウンドは使用しない"_s}));
        QCOMPARE(combo->itemData(1, Qt::ToolTipRole).toString(), names[0]);
        QCOMPARE(combo->itemData(2, Qt::ToolTipRole).toString(), names[1]);
        QVERIFY(!combo->itemData(0, Qt::ToolTipRole).isValid());
        QVERIFY(!combo->itemData(3, Qt::ToolTipRole).isValid());
        delete dlg;
    }

    void noDevices()
    {
        StationState state;
        frmSoundBoard *dlg = new frmSoundBoard(state, {});
        auto *combo = dlg->findChild<QComboBox *>(u"Combo1"_s);
        QCOMPARE(comboRows(combo), (QStringList{u"-1 Default"_s, u"99 サウンドは使用しない"_s}));
        delete dlg;
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::newRow("settings complete") << u"Command1_0"_s << u"\u8A2D\u5B9A\u5B8C\u4E86"_s;
        QTest::newRow("cancel") << u"Command1_1"_s << u"\u4E2D\u6B62"_s;
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        StationState state;
        frmSoundBoard dlg(state, deviceNames(1));
        dlg.setAttribute(Qt::WA_DeleteOnClose, false);
        auto *button = dlg.findChild<QPushButton *>(name);
        QVERIFY(button);
        QCOMPARE(button->text(), caption);
        QCOMPARE(button->accessibleName(), caption);
        QCOMPARE(button->accessibleDescription(), name);
        auto *combo = dlg.findChild<QComboBox *>(u"Combo1"_s);
        QCOMPARE(combo->accessibleDescription(), u"Combo1"_s);
        QVERIFY(!combo->accessibleName().isEmpty());
    }

    // How the operator sets the list: "" leaves it, "row:N" picks row N, anything else is typed.
    void choose_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("soundDevice");
        QTest::newRow("untouched") << 2 << QString() << -1;
        QTest::newRow("default row") << 2 << u"row:0"_s << -1;
        QTest::newRow("row 0") << 2 << u"row:1"_s << 0;
        QTest::newRow("no sound") << 2 << u"row:3"_s << 99;
        QTest::newRow("no sound, no devices") << 0 << u"row:1"_s << 99;
        QTest::newRow("row 12 of 13") << 13 << u"row:13"_s << 12;
        QTest::newRow("row 105 gives 10") << 120 << u"row:106"_s << 10;
        QTest::newRow("typed 5") << 1 << u"5"_s << 5;
        QTest::newRow("typed text") << 1 << u"mic"_s << 0;
    }

    void choose()
    {
        QFETCH(int, devices);
        QFETCH(QString, action);
        QFETCH(int, soundDevice);
        StationState state;
        QPointer<frmSoundBoard> dlg = new frmSoundBoard(state, deviceNames(devices));
        dlg->show();
        QSignalSpy chosen(dlg.data(), &frmSoundBoard::deviceChosen);
        QSignalSpy cancelled(dlg.data(), &frmSoundBoard::cancelled);
        auto *combo = dlg->findChild<QComboBox *>(u"Combo1"_s);
        if (action.startsWith(u"row:")) {
            const int row = action.sliced(4).toInt();
            combo->showPopup();
            combo->view()->setCurrentIndex(combo->model()->index(row, 0));
            QTest::keyClick(combo->view(), Qt::Key_Return);
        } else if (!action.isEmpty()) {
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), action);
        }
        // The state is set before the application hears of the choice.
        connect(dlg.data(), &frmSoundBoard::deviceChosen, this, [&] { QCOMPARE(state.soundDevice, soundDevice); });
        QTest::mouseClick(dlg->findChild<QPushButton *>(u"Command1_0"_s), Qt::LeftButton);
        QCOMPARE(state.soundDevice, soundDevice);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(cancelled.count(), 0);
        flushDeletes();
        QVERIFY(dlg.isNull());
    }

    void cancel()
    {
        StationState state;
        QPointer<frmSoundBoard> dlg = new frmSoundBoard(state, deviceNames(3));
        dlg->show();
        auto *combo = dlg->findChild<QComboBox *>(u"Combo1"_s);
        combo->setCurrentIndex(2);
        state.soundDevice = 7;
        QSignalSpy chosen(dlg.data(), &frmSoundBoard::deviceChosen);
        QSignalSpy cancelled(dlg.data(), &frmSoundBoard::cancelled);
        QTest::mouseClick(dlg->findChild<QPushButton *>(u"Command1_1"_s), Qt::LeftButton);
        QCOMPARE(state.soundDevice, 0);
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(cancelled.count(), 1);
        flushDeletes();
        QVERIFY(dlg.isNull());
    }
};

QTEST_MAIN(tst_frmSoundBoard)
#include "tst_frmSoundBoard.moc"
