// SPDX-License-Identifier: MIT
#include "gui/GlobalShortcutPortal.h"

#include <QDBusConnection>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace navrik {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString kRequest = QStringLiteral("org.freedesktop.portal.Request");
const QString kShortcutId = QStringLiteral("paste-and-quote");
const char* const kCreated = SLOT(sessionCreated(uint, QVariantMap));
const char* const kBound = SLOT(shortcutsBound(uint, QVariantMap));
// A portal that is there answers at once; one that is starting may take a moment.
constexpr int kProbeTimeoutMs = 5000;

// BindShortcuts takes the shortcuts as a(sa{sv}): each an id and what the desktop should know.
using Shortcut = std::pair<QString, QVariantMap>;
using Shortcuts = QList<Shortcut>;

QDBusConnection bus() { return QDBusConnection::sessionBus(); }

// The key's name among the keyboard's key symbols: letters in lower case, then digits, function
// keys and a short table of keys a shortcut might use. Empty when there is none.
QString keyName(int key)
{
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return QChar(char16_t('a' + (key - Qt::Key_A)));
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return QChar(char16_t(key));
    if (key >= Qt::Key_F1 && key <= Qt::Key_F35)
        return QStringLiteral("F%1").arg(key - Qt::Key_F1 + 1);
    static const std::pair<int, const char*> named[] = {
        {Qt::Key_Space, "space"},   {Qt::Key_Escape, "Escape"},       {Qt::Key_Tab, "Tab"},
        {Qt::Key_Backspace, "BackSpace"}, {Qt::Key_Return, "Return"}, {Qt::Key_Enter, "KP_Enter"},
        {Qt::Key_Insert, "Insert"}, {Qt::Key_Delete, "Delete"},       {Qt::Key_Pause, "Pause"},
        {Qt::Key_Print, "Print"},   {Qt::Key_Home, "Home"},           {Qt::Key_End, "End"},
        {Qt::Key_Left, "Left"},     {Qt::Key_Up, "Up"},               {Qt::Key_Right, "Right"},
        {Qt::Key_Down, "Down"},     {Qt::Key_PageUp, "Page_Up"},      {Qt::Key_PageDown, "Page_Down"},
    };
    for (const auto& [qtKey, name] : named) {
        if (qtKey == key)
            return QString::fromLatin1(name);
    }
    return {};
}

// The combination as the portal writes a trigger ("CTRL+ALT+SHIFT+q"); empty when the key has no
// name there, and the desktop asks the user for one.
QString trigger(const QKeySequence& key)
{
    const QKeyCombination combination = key[0];
    const QString name = keyName(combination.key());
    if (name.isEmpty())
        return {};
    const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
    QString out;
    if (modifiers & Qt::ControlModifier)
        out += QLatin1String("CTRL+");
    if (modifiers & Qt::AltModifier)
        out += QLatin1String("ALT+");
    if (modifiers & Qt::ShiftModifier)
        out += QLatin1String("SHIFT+");
    if (modifiers & Qt::MetaModifier)
        out += QLatin1String("LOGO+");
    return out + name;
}

} // namespace

bool GlobalShortcutPortal::available()
{
    if (!bus().isConnected())
        return false;
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kInterface << QStringLiteral("version");
    const QDBusMessage reply = bus().call(get, QDBus::Block, kProbeTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && reply.arguments().at(0).value<QDBusVariant>().variant().toUInt() >= 1;
}

GlobalShortcutPortal::GlobalShortcutPortal(std::unique_ptr<GlobalShortcut> standIn) : m_standIn(std::move(standIn))
{
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<Shortcuts>();
    bus().connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                  SLOT(shortcutActivated(QDBusMessage)));
    bus().connect(kService, kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                  SLOT(shortcutsChanged(QDBusMessage)));
    if (m_standIn)
        connect(m_standIn.get(), &GlobalShortcut::activated, this, &GlobalShortcut::activated);
}

GlobalShortcutPortal::~GlobalShortcutPortal() { close(); }

bool GlobalShortcutPortal::setKey(const QKeySequence& key)
{
    close();
    if (m_standIn)
        m_standIn->setKey({});
    m_key = key;
    if (key.isEmpty())
        return true;
    m_text = key.toString(QKeySequence::PortableText);
    m_trigger = trigger(key);
    request(QStringLiteral("CreateSession"),
            {QVariantMap{{QStringLiteral("session_handle_token"), QStringLiteral("navrik%1").arg(m_serial + 1)}}},
            kCreated);
    return true;
}

void GlobalShortcutPortal::request(const QString& method, QVariantList arguments, const char* slot)
{
    // The portal names the request object after the caller and the token, so the answer can be
    // listened for before the call goes out.
    const QString token = QStringLiteral("navrik%1").arg(++m_serial);
    m_requestPath = kPath + QLatin1String("/request/") + bus().baseService().mid(1).replace(u'.', u'_') + u'/' + token;
    bus().connect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this, slot);
    QVariantMap options = arguments.takeLast().toMap();
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    auto* watcher = new QDBusPendingCallWatcher(bus().asyncCall(call), this);
    // A call that failed after the key changed again is no longer news.
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, serial = m_serial] {
        watcher->deleteLater();
        if (watcher->isError() && serial == m_serial)
            refused(watcher->error().message());
    });
}

void GlobalShortcutPortal::sessionCreated(uint response, const QVariantMap& results)
{
    bus().disconnect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this, kCreated);
    if (response != 0)
        return refused({});
    const QVariant handle = results.value(QStringLiteral("session_handle"));
    m_session = handle.metaType() == QMetaType::fromType<QDBusObjectPath>() ? handle.value<QDBusObjectPath>().path()
                                                                          : handle.toString();
    // The desktop shows this where the user sees and changes its shortcuts: in the user's language.
    QVariantMap about{{QStringLiteral("description"), tr("引用符の付加")}};
    if (!m_trigger.isEmpty())
        about.insert(QStringLiteral("preferred_trigger"), m_trigger);
    const Shortcuts shortcuts{{kShortcutId, about}};
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(m_session)), QVariant::fromValue(shortcuts), QString(), QVariantMap()},
            kBound);
}

void GlobalShortcutPortal::shortcutsBound(uint response, const QVariantMap& results)
{
    bus().disconnect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this, kBound);
    m_requestPath.clear();
    if (response != 0)
        refused({});
    else if (!binds(results.value(QStringLiteral("shortcuts"))))
        leftUnbound();
}

void GlobalShortcutPortal::shortcutsChanged(const QDBusMessage& signal)
{
    const QVariantList args = signal.arguments();
    if (m_session.isEmpty() || args.value(0).value<QDBusObjectPath>().path() != m_session || !m_standIn)
        return;
    m_standIn->setKey(binds(args.value(1)) ? QKeySequence() : m_key);
}

bool GlobalShortcutPortal::binds(const QVariant& shortcuts)
{
    // A desktop may answer success and bind fewer shortcuts than asked for, or none (KDE Plasma
    // 5.27 lists none until the user gives the shortcut a key).
    const Shortcuts listed = qdbus_cast<Shortcuts>(shortcuts);
    return std::any_of(listed.begin(), listed.end(), [](const Shortcut& s) { return s.first == kShortcutId; });
}

void GlobalShortcutPortal::shortcutActivated(const QDBusMessage& signal)
{
    const QVariantList args = signal.arguments();
    const QString session = args.value(0).value<QDBusObjectPath>().path();
    const QString id = args.value(1).toString();
    if (!m_session.isEmpty() && session == m_session && id == kShortcutId)
        emit activated();
}

const char* GlobalShortcutPortal::standInTakes()
{
    return m_standIn && m_standIn->setKey(m_key) ? "; until then it reaches Navrik only while an X window has the focus"
                                                 : "";
}

void GlobalShortcutPortal::refused(const QString& why)
{
    close();
    std::fprintf(stderr,
                 "navrik: the desktop portal refused the global shortcut %s%s%s; bind \"navrik --paste-and-quote\" "
                 "to a key in the desktop's keyboard settings%s\n",
                 qPrintable(m_text), why.isEmpty() ? "" : ": ", qPrintable(why), standInTakes());
}

void GlobalShortcutPortal::leftUnbound()
{
    std::fprintf(stderr,
                 "navrik: the desktop took the global shortcut %s without binding a key to it; give 引用符の付加 a "
                 "key in the desktop's shortcut settings (KDE Plasma: System Settings > Shortcuts)%s\n",
                 qPrintable(m_text), standInTakes());
}

void GlobalShortcutPortal::close()
{
    if (!m_requestPath.isEmpty()) {
        for (const char* slot : {kCreated, kBound})
            bus().disconnect(kService, m_requestPath, kRequest, QStringLiteral("Response"), this, slot);
        m_requestPath.clear();
    }
    if (!m_session.isEmpty())
        bus().send(QDBusMessage::createMethodCall(kService, m_session, QStringLiteral("org.freedesktop.portal.Session"),
                                                  QStringLiteral("Close")));
    m_session.clear();
}

} // namespace navrik
