#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// The texts one window layout gets from a language pack, by resource id.
// Only the attributes present in the pack are held.
struct WindowPack {
    QHash<int, QString> texts;
    QHash<int, QString> tooltips;
    QHash<int, QString> hints;

    bool isEmpty() const { return texts.isEmpty() && tooltips.isEmpty() && hints.isEmpty(); }
};

// Message texts: Chinese source text to translation.
using MessagePack = QHash<QString, QString>;

// Unreadable XML gives an empty pack.
WindowPack parseWindowPack(const QByteArray &xml);
MessagePack parseMessagePack(const QByteArray &xml);

// "MainFrame.ui" -> "MainFrame.lng"
QString windowPackFileName(const QString &layoutFile);
