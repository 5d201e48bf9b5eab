// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/InitConfigFile.h"

#include "config/KeyLines.h"
#include "config/TextFile.h"

#include <QDir>

#include <array>

using namespace Qt::StringLiterals;

namespace veltrane::config {

namespace {

enum class Field { MyCall, CatPort, RigCode, SerialSettings, IcomAddress, ControllerAddress };

struct KeyRule
{
    const char16_t *key;
    Field field;
};

constexpr std::array<KeyRule, 6> kKeys{{
    {u"MYCALL", Field::MyCall},
    {u"CAT", Field::CatPort},
    {u"RIG", Field::RigCode},
    {u"RS232C", Field::SerialSettings},
    {u"ICOM", Field::IcomAddress},
    {u"CONTROL", Field::ControllerAddress},
}};

void store(Field field, const QString &value, StationConfig &config)
{
    switch (field) {
    case Field::MyCall:
        config.myCall = value.toUpper();
        break;
    case Field::CatPort:
        config.catPort = trimBlanks(value);
        break;
    case Field::RigCode:
        config.rigCode = value;
        break;
    case Field::SerialSettings:
        config.serialSettings = value;
        break;
    case Field::IcomAddress:
        config.icomAddressHex = value;
        break;
    case Field::ControllerAddress:
        config.controllerAddressHex = value;
        break;
    }
}

} // namespace

QString initConfigPath(const QString &workDir)
{
    return QDir(workDir).filePath(u"Init.cfg"_s);
}

ReadResult parseInitConfig(const QByteArray &content, StationConfig &config)
{
    bool tooMany = false;
    qsizetype number = 0;
    forEachLine(withoutByteOrderMark(content), [&](QByteArrayView bytes) {
        if (++number > kInitConfigMaxLines) {
            tooMany = true;
            return false;
        }
        if (!bytes.contains('='))
            return true; // comments and empty lines carry nothing; no need to decode them
        const auto keyLine = splitKeyLine(decodeSystemText(bytes));
        if (!keyLine)
            return true;
        for (const KeyRule &rule : kKeys) {
            if (keyLine->key == QStringView(rule.key)) {
                store(rule.field, keyLine->value, config);
                return true;
            }
        }
        storeExtensionSetting(keyLine->key, keyLine->value, config.extensions); // else ignored
        return true;
    });
    config.rig = parseRigCode(config.rigCode);
    return tooMany ? ReadResult::TooManyLines : ReadResult::Ok;
}

ReadResult readInitConfig(const QString &path, StationConfig &config)
{
    QByteArray content;
    switch (readTextFile(path, content)) {
    case FileRead::Ok:
        return parseInitConfig(content, config);
    case FileRead::NotRegular:
        return ReadResult::NotRegular;
    case FileRead::TooLarge:
        return ReadResult::TooLarge;
    case FileRead::Missing:
    case FileRead::Unreadable:
        break;
    }
    return ReadResult::Unreadable;
}

QByteArray formatInitConfig(const InitConfig &cfg)
{
    const std::array<QString, 9> lines{
        u"MYCALL="_s + cfg.call,
        u"'CATをコントロールするＣＯＭ番号"_s,
        u"CAT="_s + cfg.port,
        u"'Rig Code   0:Yaesu,  1:Kenwood  2:ICOM 3:FT897 \u3000リグの種類"_s,
        u"RIG="_s + cfg.rig,
        u"'CAT コントロール\u3000条件"_s,
        u"RS232C="_s + cfg.baud + u',' + cfg.parity + u',' + cfg.dataBits + u',' + cfg.stopBits,
        u"ICOM="_s + cfg.icom,
        u"CONTROL="_s + cfg.control,
    };
    QString text;
    for (const QString &line : lines)
        text += line + u"\r\n";
    for (const QString &line : extensionLines(cfg.extensions))
        text += line + u"\r\n";
    return encodeSystemText(text);
}

bool writeInitConfig(const QString &path, const InitConfig &cfg, QString *error)
{
    return saveTextFile(path, formatInitConfig(cfg), error);
}

QString printedNumber(int n)
{
    return (n < 0 ? QString() : u" "_s) + QString::number(n) + u' ';
}

} // namespace veltrane::config
