#include "app/LanguageManager.h"

#include "ui/SkinPackage.h"

#include <QGuiApplication>

namespace {

// Of the packs, only Arabic is written right to left.
Qt::LayoutDirection layoutDirection(const QString &name)
{
    return name == QLatin1String("Arabic") ? Qt::RightToLeft : Qt::LeftToRight;
}

} // namespace

LanguageManager::LanguageManager(const SkinPackage &package)
    : m_package(package)
    , m_messages(std::make_shared<const MessagePack>())
{ }

LanguageManager &LanguageManager::instance()
{
    static LanguageManager manager(SkinPackage::embedded());
    static const bool installed = (ui::setLanguagePacks(&manager), true);
    Q_UNUSED(installed);
    return manager;
}

QByteArray LanguageManager::packFile(const QString &fileName) const
{
    return m_package.read(m_folder + QLatin1Char('\\') + fileName);
}

void LanguageManager::select(const QString &folder, const QString &name)
{
    m_folder = folder;
    m_name = name;
    m_messages.store(
        std::make_shared<const MessagePack>(parseMessagePack(packFile(QStringLiteral("StringResource.lng")))));
    m_windowPacks.clear();
    // Open windows follow at once: the application passes the change on to every
    // widget that has not set a direction of its own.
    QGuiApplication::setLayoutDirection(layoutDirection(name));
}

QString LanguageManager::translate(const QString &source) const
{
    const std::shared_ptr<const MessagePack> messages = m_messages.load();
    return messages->value(source, source);
}

WindowPack LanguageManager::openWindowPack(const QString &layoutFile)
{
    const QString key = SkinPackage::normalizedPath(layoutFile);
    const auto loaded = m_windowPacks.constFind(key);
    if (loaded != m_windowPacks.constEnd())
        return *loaded;
    const WindowPack pack = parseWindowPack(packFile(windowPackFileName(layoutFile)));
    m_windowPacks.insert(key, pack);
    return pack;
}

QString translate(const QString &source)
{
    return LanguageManager::instance().translate(source);
}
