#pragma once

#include "ui/LanguagePack.h"
#include "ui/LayoutLoader.h"

#include <QHash>
#include <QString>

#include <atomic>
#include <memory>

class SkinPackage;

// The current language: its message texts and the packs of every window
// layout opened so far. Packs are loaded and replaced on the window thread
// only. translate() may be called from workers at any time, also while the
// language dialog switches the language: the message texts are an immutable
// pack that select() swaps as a whole, so a worker sees the old pack or the
// new one, never one half filled.
class LanguageManager : public ui::LanguagePacks
{
public:
    explicit LanguageManager(const SkinPackage &package);

    // The process's manager over the embedded skin; windows take their
    // texts from it.
    static LanguageManager &instance();

    // folder "Lang\\English", name "English". Reloads the message texts;
    // window packs are loaded from the new folder as layouts ask for them.
    // Sets the application's layout direction to the language's.
    void select(const QString &folder, const QString &name);
    QString currentName() const { return m_name; }
    QString currentFolder() const { return m_folder; }

    // The translation of a Chinese source text, or the source itself.
    QString translate(const QString &source) const;

    WindowPack openWindowPack(const QString &layoutFile) override;

private:
    QByteArray packFile(const QString &fileName) const;

    const SkinPackage &m_package;
    QString m_folder;
    QString m_name;
    std::atomic<std::shared_ptr<const MessagePack>> m_messages;
    QHash<QString, WindowPack> m_windowPacks;
};

// LanguageManager::instance().translate(source)
QString translate(const QString &source);
