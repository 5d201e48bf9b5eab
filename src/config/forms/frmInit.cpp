// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/forms/frmInit.h"

#include "config/CatAddress.h"
#include "config/IcomModels.h"
#include "config/SerialDeviceList.h"
#include "config/SerialSettingsFields.h"
#include "config/TextNumber.h"
#include "config/forms/ControlTags.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPortInfo>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <array>
#include <cmath>
#include <span>

using namespace Qt::StringLiterals;

namespace veltrane::config {

namespace {

// One option of a choice group: control name, caption (leading blanks are part of it) and the
// value stored in the dialog state when it is chosen.
struct ChoiceOption
{
    const char16_t *name;
    const char16_t *caption;
    const char16_t *value;
};

constexpr std::array<ChoiceOption, 10> kSpeedOptions{{
    {u"Baud3", u" 300", u"300"},
    {u"Baud6", u" 600", u"600"},
    {u"Baud12", u"1200", u"1200"},
    {u"Baud24", u" 2400", u"2400"},
    {u"Baud48", u" 4800", u"4800"},
    {u"Baud96", u" 9600", u"9600"},
    {u"Baud192", u" 19200", u"19200"},
    {u"Baud384", u" 38400", u"38400"},
    {u"Baud576", u" 57600", u"57600"},
    {u"Baud1152", u" 115200", u"115200"},
}};

constexpr std::array<ChoiceOption, 2> kDataBitOptions{{
    {u"Data7", u" 7", u"7"},
    {u"Data8", u" 8", u"8"},
}};

constexpr std::array<ChoiceOption, 2> kStopBitOptions{{
    {u"Stop1", u" 1", u"1"},
    {u"Stop2", u" 2", u"2"},
}};

constexpr std::array<ChoiceOption, 3> kParityOptions{{
    {u"NoParity", u" None", u"N"},
    {u"EvenParity", u" Even", u"E"},
    {u"OddParity", u" Odd", u"O"},
}};

// Values are the serial control's handshaking modes, saved as FLOW= (ExtensionSettings.h).
constexpr std::array<ChoiceOption, 4> kFlowOptions{{
    {u"NoFlow", u" None", u"0"},
    {u"XonFlow", u" Xon/Xoff", u"1"},
    {u"RTSFlow", u" RTS/CTS", u"2"},
    {u"BothFlow", u" Both", u"3"},
}};

constexpr std::array<ChoiceOption, 2> kEchoOptions{{
    {u"EchoOn", u" On", u"1"},
    {u"EchoOff", u" Off", u"0"},
}};

// The control lines after the port opens and what a band pick does to the rig's mode, saved
// as DTR=, RTS= and BANDMODE= (ExtensionSettings.h).
constexpr std::array<ChoiceOption, 2> kDtrOptions{{
    {u"DtrOn", u" On", u"1"},
    {u"DtrOff", u" Off", u"0"},
}};

constexpr std::array<ChoiceOption, 2> kRtsOptions{{
    {u"RtsOn", u" On", u"1"},
    {u"RtsOff", u" Off", u"0"},
}};

constexpr std::array<ChoiceOption, 2> kBandModeOptions{{
    {u"BandModeUsb", u" USB", u"1"},
    {u"BandModeKeep", u" Keep mode", u"0"},
}};

// A group of the "CAT RS232C" frame. field is where a choice is stored (null: shown only).
struct ChoiceGroup
{
    const char16_t *frameName;
    const char16_t *title;
    std::span<const ChoiceOption> options;
    QString InitDialogState::*field;
    int columns;
};

const std::array<ChoiceGroup, 9> kChoiceGroups{{
    {u"fraSpeed", u"Speed", kSpeedOptions, &InitDialogState::baud, 2},
    {u"fraDataBit", u"Data Bit", kDataBitOptions, &InitDialogState::dataBits, 1},
    {u"fraStopBit", u"Stop Bit", kStopBitOptions, &InitDialogState::stopBits, 1},
    {u"fraParity", u"Parity", kParityOptions, &InitDialogState::parity, 1},
    {u"fraFlowControl", u"Flow Control", kFlowOptions, &InitDialogState::flow, 1},
    {u"fraEcho", u"Echo", kEchoOptions, nullptr, 1},
    {u"fraDtr", u"DTR", kDtrOptions, &InitDialogState::dtr, 1},
    {u"fraRts", u"RTS", kRtsOptions, &InitDialogState::rts, 1},
    {u"fraBandMode", u"Band Pick", kBandModeOptions, &InitDialogState::bandMode, 1},
}};
constexpr size_t kFlowGroup = 4;
constexpr size_t kRtsGroup = 7;

// Put into an empty device field when the rigctld option is chosen: a daemon on this computer.
constexpr QStringView kLocalRigctld = u"localhost:4532";
// The rig option shown when the configured rig code names no family: "Yaesu FT897".
constexpr cat::RigFamily kDesignedRig = cat::RigFamily::Ft897;

// The family of a rig option (options are in RIG= code order).
const cat::RigCaps &rigOfOption(int index)
{
    return cat::allRigCaps()[size_t(index)];
}
constexpr int kPortCount = 8;

QString text(const char16_t *s)
{
    return QString::fromUtf16(s);
}

const ChoiceOption *optionWithValue(std::span<const ChoiceOption> options, const QString &value)
{
    for (const ChoiceOption &o : options) {
        if (value == QStringView(o.value))
            return &o;
    }
    return nullptr;
}

QGroupBox *frame(const char16_t *name, const char16_t *title, QWidget *parent)
{
    auto *box = new QGroupBox(text(title), parent);
    tagControl(box, text(name), text(title));
    return box;
}

QRadioButton *option(const QString &name, const QString &caption, QWidget *parent)
{
    auto *button = new QRadioButton(caption, parent);
    tagControl(button, name, caption);
    return button;
}

} // namespace

frmInit::frmInit(const StationConfig &config, const SerialControlState &serial, InitDialogState &dialogState,
                 QWidget *parent)
    : QWidget(parent, Qt::Window), m_config(config), m_dialog(dialogState)
{
    setObjectName(u"frmInit"_s);
    setWindowTitle(tr("初期設定"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    Form_Load(serial);
}

frmInit::~frmInit()
{
    // The box is our child and dies with us; its finished signal must not reach a half-gone dialog.
    if (m_box)
        m_box->disconnect(this);
}

void frmInit::buildControls()
{
    auto *top = new QVBoxLayout(this);

    m_lblReason = new QLabel(this);
    tagControl(m_lblReason, u"lblReason"_s, QString());
    m_lblReason->setWordWrap(false);
    m_lblReason->hide();
    top->addWidget(m_lblReason);
    // Said before the operator types anything: Save would fail in a folder it cannot write.
    m_lblFolder = new QLabel(this);
    tagControl(m_lblFolder, u"lblFolder"_s, QString());
    m_lblFolder->setWordWrap(true);
    if (const QFileInfo folder(m_config.workDir); !folder.isDir() || !folder.isWritable()) {
        const QString text =
            tr("この作業フォルダーには保存できません: %1。書き込めるフォルダーで起動してください "
               "(veltrane --folder DIR、またはデスクトップのメニューから: ~/.config/veltrane)。")
                .arg(QDir::toNativeSeparators(m_config.workDir));
        m_lblFolder->setText(text);
        m_lblFolder->setAccessibleName(text);
    } else {
        m_lblFolder->hide();
    }
    top->addWidget(m_lblFolder);

    auto *columns = new QHBoxLayout;
    top->addLayout(columns);

    // Station Information: call sign, Save, and the rig.
    QGroupBox *station = frame(u"fraStationInformation", u"Station Information", this);
    columns->addWidget(station, 0, Qt::AlignTop);
    auto *stationLayout = new QGridLayout(station);
    auto *lblCall = new QLabel(u"CALL"_s, station);
    m_text1 = new QLineEdit(station);
    tagLabelledBox(lblCall, u"lblCall"_s, m_text1, u"Text1"_s);
    m_command1 = tagControl(new QPushButton(u"Save"_s, station), u"Command1"_s, u"Save"_s);
    stationLayout->addWidget(lblCall, 0, 0);
    stationLayout->addWidget(m_text1, 0, 1);
    stationLayout->addWidget(m_command1, 0, 2);

    QGroupBox *rig = frame(u"fraRig", u"Rig", station);
    stationLayout->addWidget(rig, 1, 0, 1, 3);
    auto *rigLayout = new QGridLayout(rig);
    for (const cat::RigCaps &caps : cat::allRigCaps()) {
        const int i = int(m_option1.size());
        m_option1.push_back(option(u"Option1_"_s + QString::number(caps.code()), caps.caption(), rig));
        rigLayout->addWidget(m_option1.back(), i, 0, 1, 2);
    }
    m_option1[size_t(kDesignedRig)]->setChecked(true);
    const int rigRows = int(m_option1.size());

    auto *lblModel = new QLabel(u"Model"_s, rig);
    m_combo1 = new QComboBox(rig);
    m_combo1->setEditable(true);
    m_combo1->setInsertPolicy(QComboBox::NoInsert);
    m_combo1->setCompleter(nullptr);
    m_combo1Edit = m_combo1->lineEdit();
    m_combo1Edit->installEventFilter(this);
    tagLabelledBox(lblModel, u"lblModel"_s, m_combo1, u"Combo1"_s);
    auto *lblIcom = new QLabel(u"ICOM Address"_s, rig);
    m_text2 = new QLineEdit(u"74"_s, rig);
    tagLabelledBox(lblIcom, u"lblIcomAddress"_s, m_text2, u"Text2"_s);
    auto *lblControl = new QLabel(u"Control Address"_s, rig);
    m_text3 = new QLineEdit(u"45"_s, rig);
    tagLabelledBox(lblControl, u"lblControlAddress"_s, m_text3, u"Text3"_s);
    rigLayout->addWidget(lblModel, rigRows, 0);
    rigLayout->addWidget(m_combo1, rigRows, 1);
    rigLayout->addWidget(lblIcom, rigRows + 1, 0);
    rigLayout->addWidget(m_text2, rigRows + 1, 1);
    rigLayout->addWidget(lblControl, rigRows + 2, 0);
    rigLayout->addWidget(m_text3, rigRows + 2, 1);

    // Decoder link: the datagrams a decoder publishes, on a UDP address and port.
    QGroupBox *decoder = frame(u"fraDecoderLink", u"Decoder Link (UDP)", station);
    stationLayout->addWidget(decoder, 2, 0, 1, 3);
    auto *decoderLayout = new QGridLayout(decoder);
    m_chkDecoderLink = tagControl(new QCheckBox(u"Listen"_s, decoder), u"chkDecoderLink"_s, u"Listen"_s);
    auto *lblHost = new QLabel(u"Address"_s, decoder);
    m_txtDecoderHost = new QLineEdit(decoder);
    tagLabelledBox(lblHost, u"lblDecoderHost"_s, m_txtDecoderHost, u"txtDecoderHost"_s);
    m_txtDecoderHost->setToolTip(tr("127.0.0.1 when the decoder sends to this computer alone; a multicast "
                                    "group (for example 239.255.0.1) to share it with other programs."));
    auto *lblUdpPort = new QLabel(u"Port"_s, decoder);
    m_txtDecoderPort = new QLineEdit(decoder);
    tagLabelledBox(lblUdpPort, u"lblDecoderPort"_s, m_txtDecoderPort, u"txtDecoderPort"_s);
    m_lblDecoderLink = new QLabel(decoder);
    tagControl(m_lblDecoderLink, u"lblDecoderLink"_s, QString());
    m_lblDecoderLink->setWordWrap(true);
    m_lblDecoderLink->hide();
    decoderLayout->addWidget(m_chkDecoderLink, 0, 0, 1, 2);
    decoderLayout->addWidget(lblHost, 1, 0);
    decoderLayout->addWidget(m_txtDecoderHost, 1, 1);
    decoderLayout->addWidget(lblUdpPort, 2, 0);
    decoderLayout->addWidget(m_txtDecoderPort, 2, 1);
    decoderLayout->addWidget(m_lblDecoderLink, 3, 0, 1, 2);

    // CAT RS232C: port, then the line settings groups.
    QGroupBox *cat = frame(u"fraCatRs232c", u"CAT RS232C", this);
    columns->addWidget(cat, 0, Qt::AlignTop);
    auto *catLayout = new QGridLayout(cat);

    QGroupBox *port = frame(u"fraPort", u"Port", cat);
    catLayout->addWidget(port, 0, 0, 1, 3);
    auto *portLayout = new QGridLayout(port);
    for (int n = 1; n <= kPortCount; ++n) {
        m_comPort[size_t(n)] =
            option(u"ComPort_"_s + QString::number(n), u" Com"_s + QString::number(n), port);
        portLayout->addWidget(m_comPort[size_t(n)], (n - 1) % 4, (n - 1) / 4);
    }
    auto *lblDevice = new QLabel(u"Device"_s, port);
    m_portDevice = new QComboBox(port);
    m_portDevice->setEditable(true);
    m_portDevice->setInsertPolicy(QComboBox::NoInsert);
    m_portDevice->setMinimumContentsLength(24);
    tagLabelledBox(lblDevice, u"lblPortDevice"_s, m_portDevice, u"PortDevice"_s);
    m_portDevice->lineEdit()->setPlaceholderText(u"/dev/ttyUSB0, tcp://HOST:PORT, rigctld HOST:PORT"_s);
    m_portDevice->setToolTip(tr("A serial device; tcp://HOST:PORT for a network serial server; "
                                "HOST or HOST:PORT of rigctld (port 4532 when omitted)."));
    QStringList devices = serialDeviceNames(u"/dev"_s);
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        if (!devices.contains(info.systemLocation()))
            devices.append(info.systemLocation());
    }
    m_portDevice->addItems(devices);
    m_portDevice->setCurrentIndex(-1);
    m_portDevice->clearEditText();
    portLayout->addWidget(lblDevice, 4, 0);
    portLayout->addWidget(m_portDevice, 4, 1);
    m_lblAddress = new QLabel(port);
    tagControl(m_lblAddress, u"lblAddress"_s, QString());
    m_lblAddress->setWordWrap(true);
    m_lblAddress->hide();
    portLayout->addWidget(m_lblAddress, 5, 0, 1, 2);

    int groupRow = 1;
    int groupColumn = 0;
    for (const ChoiceGroup &group : kChoiceGroups) {
        QGroupBox *box = frame(group.frameName, group.title, cat);
        auto *layout = new QGridLayout(box);
        const int rows = int((group.options.size() + size_t(group.columns) - 1) / size_t(group.columns));
        int i = 0;
        for (const ChoiceOption &o : group.options) {
            QRadioButton *button = option(text(o.name), text(o.caption), box);
            layout->addWidget(button, i % rows, i / rows);
            ++i;
            if (group.field) {
                const auto field = group.field;
                const QString value = text(o.value);
                connect(button, &QRadioButton::toggled, this, [this, field, value](bool on) {
                    if (on)
                        m_dialog.*field = value;
                });
                if (&group == &kChoiceGroups[kFlowGroup])
                    connect(button, &QRadioButton::toggled, this, &frmInit::showRtsChoice);
            }
        }
        if (&group == &kChoiceGroups[kRtsGroup])
            m_rtsGroup = box;
        catLayout->addWidget(box, groupRow, groupColumn, Qt::AlignTop);
        if (++groupColumn == 3) {
            groupColumn = 0;
            ++groupRow;
        }
    }

    // Signals last, so that building the designed state runs no handler.
    connect(m_command1, &QPushButton::clicked, this, &frmInit::Command1_Click);
    for (int i = 0; i < int(m_option1.size()); ++i) {
        connect(m_option1[size_t(i)], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
    }
    connect(m_combo1, &QComboBox::activated, this, &frmInit::Combo1_Click);
    connect(m_text2, &QLineEdit::textChanged, this, &frmInit::Text2_Change);
    for (int n = 1; n <= kPortCount; ++n) {
        connect(m_comPort[size_t(n)], &QRadioButton::toggled, this, [this, n](bool on) {
            if (on)
                selectComPort(n);
        });
    }
    connect(m_portDevice, &QComboBox::editTextChanged, this, &frmInit::portDeviceEdited);
}

void frmInit::showRtsChoice()
{
    // Under RTS/CTS handshake the port drives RTS itself; the RTS choice applies again without it.
    m_rtsGroup->setEnabled(m_dialog.flow != u"2" && m_dialog.flow != u"3");
}

void frmInit::Form_Load(const SerialControlState &serial)
{
    // Selecting an option here has the same effect as the operator's click on it.
    const auto choose = [this](const ChoiceGroup &group, const QString &value) {
        const ChoiceOption *o = optionWithValue(group.options, value);
        if (!o)
            return false;
        findChild<QRadioButton *>(text(o->name))->setChecked(true);
        if (group.field)
            m_dialog.*group.field = value;
        return true;
    };

    // 1. Port: a number 1..8 picks its option; any other text is a device name.
    const QString portText = serial.port.trimmed();
    const std::optional<double> portNumber = wholeNumber(portText);
    if (portNumber && std::lround(*portNumber) >= 1 && std::lround(*portNumber) <= kPortCount) {
        const int n = int(std::lround(*portNumber));
        m_comPort[size_t(n)]->setChecked(true);
        selectComPort(n);
    } else if (!portText.isEmpty()) {
        m_portDevice->setEditText(portText);
        portDeviceEdited(portText);
    }

    // 2.-5. Line settings, read by position from the first comma.
    const SerialSettingsFields fields = readSerialSettingsFields(serial.settings);
    if (!choose(kChoiceGroups[0], fields.speed) && !fields.speed.isEmpty())
        m_dialog.baud = fields.speed; // a rate without an option is kept as it was
    if (!fields.parity.isNull())
        choose(kChoiceGroups[3], QString(fields.parity));
    choose(kChoiceGroups[1], QString::number(fields.dataBits));
    choose(kChoiceGroups[2], QString::number(fields.stopBits));

    // 6.-7. Flow control from the handshaking mode; echo off.
    choose(kChoiceGroups[kFlowGroup], QString::number(serial.handshaking));
    choose(kChoiceGroups[5], u"0"_s);
    showRtsChoice();

    // Control lines and band-pick mode as configured.
    const ExtensionSettings &ext = m_config.extensions;
    choose(kChoiceGroups[6], ext.dtrOn ? u"1"_s : u"0"_s);
    choose(kChoiceGroups[kRtsGroup], ext.rtsOn ? u"1"_s : u"0"_s);
    choose(kChoiceGroups[8], ext.bandPickSetsUsb ? u"1"_s : u"0"_s);

    // 8. ICOM models, and the configured addresses (the defaults when none are configured).
    m_combo1->clear();
    for (const IcomModel &model : kIcomModels)
        m_combo1->addItem(text(model.name));
    const QString icom = m_dialog.icomAddress.value_or(
        m_config.icomAddressHex.isEmpty() ? icomAddressAt(kDefaultIcomModel) : m_config.icomAddressHex);
    const std::optional<int> model = icomModelForAddress(icom);
    m_combo1->setCurrentIndex(model.value_or(-1));
    if (!model)
        m_combo1->clearEditText();
    m_text2->setText(icom);
    Text2_Change();
    m_text3->setText(m_config.controllerAddressHex.isEmpty() ? u"45"_s : m_config.controllerAddressHex);

    // 9. Call sign.
    m_text1->setText(m_config.myCall);

    // The decoder link as configured.
    m_chkDecoderLink->setChecked(ext.decoderLink);
    m_txtDecoderHost->setText(ext.decoderHost);
    m_txtDecoderPort->setText(QString::number(ext.decoderPort));

    // 10. Rig: the configured family; otherwise the designed choice stays, without effects.
    if (const std::optional<int> code = m_config.rig.code()) {
        m_option1[size_t(*code)]->setChecked(true);
        Option1_Click(*code);
    }
}

void frmInit::setDecoderLinkProblem(const QString &reason)
{
    m_lblDecoderLink->setText(reason);
    m_lblDecoderLink->setAccessibleName(reason);
    m_lblDecoderLink->setVisible(!reason.isEmpty());
}

void frmInit::setStartupFailure(const QString &reason)
{
    constexpr qsizetype kLongest = 200; // a value from the file can be of any length
    QString line = reason.size() <= kLongest ? reason : reason.first(kLongest - 1) + u'…';
    line.replace(u'\n', u' ');
    line.replace(u'\r', u' ');
    m_lblReason->setText(line);
    m_lblReason->setAccessibleName(line);
    m_lblReason->setVisible(!line.isEmpty());
}

InitConfig frmInit::currentConfig() const
{
    InitConfig cfg;
    cfg.call = m_text1->text();
    if (!m_dialog.portName.isEmpty())
        cfg.port = m_dialog.portName;
    else if (m_dialog.port)
        cfg.port = printedNumber(*m_dialog.port);
    if (m_dialog.rigCode)
        cfg.rig = printedNumber(*m_dialog.rigCode);
    cfg.baud = m_dialog.baud;
    cfg.parity = m_dialog.parity;
    cfg.dataBits = m_dialog.dataBits;
    cfg.stopBits = m_dialog.stopBits;
    cfg.icom = m_text2->text();
    cfg.control = m_text3->text();
    // The extension settings the dialog has no control for are saved as they were read.
    cfg.extensions = m_config.extensions;
    if (!m_dialog.flow.isEmpty())
        cfg.extensions.flow = FlowControl(qBound(0, m_dialog.flow.toInt(), 3));
    if (!m_dialog.dtr.isEmpty())
        cfg.extensions.dtrOn = m_dialog.dtr == u"1";
    if (!m_dialog.rts.isEmpty())
        cfg.extensions.rtsOn = m_dialog.rts == u"1";
    if (!m_dialog.bandMode.isEmpty())
        cfg.extensions.bandPickSetsUsb = m_dialog.bandMode == u"1";
    cfg.extensions.decoderLink = m_chkDecoderLink->isChecked();
    storeExtensionSetting(u"DECODERHOST", m_txtDecoderHost->text(), cfg.extensions);
    storeExtensionSetting(u"DECODERPORT", m_txtDecoderPort->text(), cfg.extensions);
    return cfg;
}

QString frmInit::addressProblem() const
{
    const QString &device = m_dialog.portName;
    if (m_dialog.rigCode && rigOfOption(*m_dialog.rigCode).port == cat::PortKind::RigctldAddress) {
        if (device.isEmpty())
            return tr("rigctld is reached over the network: enter HOST or HOST:PORT in the device field.");
        if (QString error = parseRigctldAddress(device).error; !error.isEmpty())
            return error;
    } else if (isTcpUrl(device)) {
        if (QString error = parseTcpUrl(device).error; !error.isEmpty())
            return error;
    }
    return {};
}

QString frmInit::decoderFieldsProblem() const
{
    if (!m_chkDecoderLink->isChecked())
        return {};
    ExtensionSettings taken;
    taken.decoderHost.clear();
    taken.decoderPort = 0;
    storeExtensionSetting(u"DECODERHOST", m_txtDecoderHost->text(), taken);
    storeExtensionSetting(u"DECODERPORT", m_txtDecoderPort->text(), taken);
    if (taken.decoderHost.isEmpty() || taken.decoderPort == 0)
        return tr("The decoder link needs an address and a port from 1 to 65535.");
    return {};
}

void frmInit::showAddressProblem()
{
    const QString problem = addressProblem();
    m_lblAddress->setText(problem);
    m_lblAddress->setAccessibleName(problem);
    m_lblAddress->setVisible(!problem.isEmpty());
}

void frmInit::Command1_Click()
{
    if (m_box && m_box->isVisible())
        return; // the box of an earlier press is still open
    if (const QString problem = addressProblem() + decoderFieldsProblem(); !problem.isEmpty()) {
        showSaveFailure(problem);
        return;
    }
    QString error;
    if (!writeInitConfig(initConfigPath(m_config.workDir), currentConfig(), &error)) {
        showSaveFailure(error);
        return;
    }
    m_box = new QMessageBox(QMessageBox::NoIcon, u"Veltrane"_s,
                            tr("設定を完了しました。再度起動してください。"), QMessageBox::Ok, this);
    m_box->setObjectName(u"msgSaved"_s);
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_box, &QMessageBox::finished, this, [this] {
        emit saved();
        close();
    });
    m_box->open();
}

void frmInit::showSaveFailure(const QString &reason)
{
    m_box = new QMessageBox(QMessageBox::Warning, u"Veltrane"_s,
                            tr("Init.cfg を保存できませんでした。") + u'\n' + reason, QMessageBox::Ok, this);
    m_box->setObjectName(u"msgSaveFailed"_s);
    m_box->setAttribute(Qt::WA_DeleteOnClose);
    m_box->open();
}

void frmInit::Option1_Click(int index)
{
    m_dialog.rigCode = index;
    const cat::RigCaps &rig = rigOfOption(index);
    m_text2->setEnabled(rig.civAddresses);
    m_text3->setEnabled(rig.civAddresses);
    m_combo1->setEnabled(rig.civAddresses);
    if (rig.port == cat::PortKind::RigctldAddress && m_dialog.portName.isEmpty())
        m_portDevice->setEditText(kLocalRigctld.toString()); // shows the address it will save
    showAddressProblem();
}

void frmInit::Combo1_Click()
{
    const QString address = icomAddressAt(m_combo1->currentIndex());
    if (!address.isEmpty())
        m_text2->setText(address);
}

void frmInit::Text2_Change()
{
    m_dialog.icomAddress = m_text2->text();
}

void frmInit::selectComPort(int index)
{
    m_dialog.port = index;
    m_dialog.portName.clear();
    if (!m_portDevice->currentText().isEmpty()) {
        const QSignalBlocker block(m_portDevice);
        m_portDevice->setCurrentIndex(-1);
        m_portDevice->clearEditText();
    }
    showAddressProblem();
}

void frmInit::portDeviceEdited(const QString &textNow)
{
    m_dialog.portName = textNow.trimmed();
    if (!m_dialog.portName.isEmpty())
        uncheckPortOptions();
    else if (m_dialog.port && *m_dialog.port >= 1 && *m_dialog.port <= kPortCount)
        m_comPort[size_t(*m_dialog.port)]->setChecked(true);
    showAddressProblem();
}

void frmInit::uncheckPortOptions()
{
    for (int n = 1; n <= kPortCount; ++n) {
        QRadioButton *button = m_comPort[size_t(n)];
        if (button->isChecked()) {
            button->setAutoExclusive(false);
            button->setChecked(false);
            button->setAutoExclusive(true);
        }
    }
}

bool frmInit::eventFilter(QObject *watched, QEvent *event)
{
    // Return in the model box's text would pick the model of that name; typing a model name
    // is meant to select nothing and change nothing, so the key is swallowed there.
    if (watched == m_combo1Edit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace veltrane::config
