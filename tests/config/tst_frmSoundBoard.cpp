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
        names.append(u"Input device "_s + QString::number(i));
    return names;
}

} // namespace

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
        frmSoundBoard dlg(state, names);
        dlg.setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(state.soundDevice, 0);
        QCOMPARE(state.workDir, QDir::currentPath());
        auto *combo = dlg.findChild<QComboBox *>(u"Combo1"_s);
        QVERIFY(combo && combo->isEditable());
        QCOMPARE(combo->currentText(), u"-1  Default"_s);
        QStringList rows;
        for (int i = 0; i < combo->count(); ++i)
            rows.append(combo->itemText(i) + u'|' + combo->itemData(i, Qt::ToolTipRole).toString());
        QCOMPARE(rows, (QStringList{u"-1 Default|"_s, u"0|"_s + names[0], u"1|"_s + names[1],
                                    u"99 サウンドは使用しない|"_s}));
    }

    // "" leaves the list as designed, "row:N" picks row N, anything else is typed.
    // Button 0 is "settings complete", 1 is "cancel".
    void choose_data()
    {
        QTest::addColumn<int>("devices");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("soundDevice");
        QTest::newRow("untouched") << 2 << QString() << 0 << -1;
        QTest::newRow("row 0") << 2 << u"row:1"_s << 0 << 0;
        QTest::newRow("no sound") << 2 << u"row:3"_s << 0 << 99;
        QTest::newRow("no sound, no devices") << 0 << u"row:1"_s << 0 << 99;
        QTest::newRow("row 105 gives 10") << 120 << u"row:106"_s << 0 << 10;
        // What is typed is read from its first two characters.
        QTest::newRow("typed blank and 5") << 1 << u" 5"_s << 0 << 5;
        QTest::newRow("typed 5 and letters") << 1 << u"5x"_s << 0 << 5;
        QTest::newRow("typed 1 9") << 1 << u"1 9"_s << 0 << 1;
        QTest::newRow("typed text") << 1 << u"mic"_s << 0 << 0;
        QTest::newRow("typed minus") << 1 << u"-"_s << 0 << 0;
        QTest::newRow("typed half rounds to even") << 1 << u".5"_s << 0 << 0;
        QTest::newRow("cancel after a pick") << 3 << u"row:2"_s << 1 << 0;
    }

    void choose()
    {
        QFETCH(int, devices);
        QFETCH(QString, action);
        QFETCH(int, button);
        QFETCH(int, soundDevice);
        StationState state;
        QPointer<frmSoundBoard> dlg = new frmSoundBoard(state, deviceNames(devices));
        dlg->show();
        state.soundDevice = 7; // whichever button, the dialog sets it
        QSignalSpy chosen(dlg.data(), &frmSoundBoard::deviceChosen);
        QSignalSpy cancelled(dlg.data(), &frmSoundBoard::cancelled);
        auto *combo = dlg->findChild<QComboBox *>(u"Combo1"_s);
        if (action.startsWith(u"row:")) {
            combo->showPopup();
            combo->view()->setCurrentIndex(combo->model()->index(action.sliced(4).toInt(), 0));
            QTest::keyClick(combo->view(), Qt::Key_Return);
        } else if (!action.isEmpty()) {
            combo->lineEdit()->selectAll();
            QTest::keyClicks(combo->lineEdit(), action);
        }
        // The state is set before the application hears of the choice.
        connect(dlg.data(), &frmSoundBoard::deviceChosen, this,
                [&] { QCOMPARE(state.soundDevice, soundDevice); });
        QTest::mouseClick(dlg->findChild<QPushButton *>(u"Command1_"_s + QString::number(button)),
                          Qt::LeftButton);
        QCOMPARE(state.soundDevice, soundDevice);
        QCOMPARE(chosen.count(), button == 0 ? 1 : 0);
        QCOMPARE(cancelled.count(), button == 1 ? 1 : 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(dlg.isNull());
    }
};

QTEST_MAIN(tst_frmSoundBoard)
#include "tst_frmSoundBoard.moc"
