#pragma once

#include <QMetaType>
#include <QString>

#include <optional>

// One network printer as its discovery reply describes it.
struct PrinterInfo {
    QString name;
    QString model;
    QString firmware;
    bool dhcp = true;
    QString ip;
    QString subnet;
    QString gateway;
    QString mac;
};
Q_DECLARE_METATYPE(PrinterInfo)

// Reads a "NET BROADCAST" reply: each value follows its key and ends at a
// comma, CR, LF or the end of the text; a missing key gives an empty value.
// Nothing when the text is not a discovery reply.
std::optional<PrinterInfo> parsePrinterInfo(const QString &reply);
