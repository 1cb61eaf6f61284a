// SPDX-License-Identifier: MIT
// A stand-in desktop portal's global shortcuts: binds the first session's shortcuts, turns later
// ones down, and emits Activated on Press. --bind-nothing binds nothing, with success, as KDE
// Plasma 5.27 does, until Assign reports the shortcut in ShortcutsChanged.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDBusVirtualObject>

#include <cstdio>

static const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");

struct FakePortal : QDBusVirtualObject {
    QString introspect(const QString&) const override { return {}; }

    bool handleMessage(const QDBusMessage& call, const QDBusConnection& bus) override
    {
        const QString member = call.member();
        const QVariantList args = call.arguments();
        const QString prefix = u'/' + call.service().mid(1).replace(u'.', u'_') + u'/';
        const auto option = [&](const char* name) { return qdbus_cast<QVariantMap>(args.last()).value(name).toString(); };
        const auto signal = [&](const QString& path, const char* interface, const char* name, const QVariantList& values) {
            QDBusMessage message = QDBusMessage::createSignal(path, QLatin1String(interface), QLatin1String(name));
            message.setArguments(values);
            return bus.send(message);
        };
        const QVariant session = QVariant::fromValue(QDBusObjectPath(m_bound));
        if (member == QLatin1String("Get"))
            return bus.send(call.createReply(QVariant::fromValue(QDBusVariant(1u))));
        if (const bool press = member == QLatin1String("Press"); press || member == QLatin1String("Assign"))
            return signal(kPath, "org.freedesktop.portal.GlobalShortcuts", press ? "Activated" : "ShortcutsChanged",
                          press ? QVariantList{session, QStringLiteral("paste-and-quote"), qulonglong(0), QVariantMap()}
                                : QVariantList{session, QVariant::fromValue(m_shortcuts)})
                   && bus.send(call.createReply());
        QVariantMap results;
        const uint response = member == QLatin1String("BindShortcuts") && !m_bound.isEmpty();
        if (member == QLatin1String("CreateSession")) {
            results[QStringLiteral("session_handle")] = kPath + "/session" + prefix + option("session_handle_token");
        } else if (member != QLatin1String("BindShortcuts")) {
            return false;
        } else if (response == 0) {
            m_bound = args.at(0).value<QDBusObjectPath>().path();
            m_shortcuts = args.at(1).value<QDBusArgument>();
            if (!m_bindNothing)
                results[QStringLiteral("shortcuts")] = QVariant::fromValue(m_shortcuts);
        }
        const QString request = kPath + "/request" + prefix + option("handle_token");
        bus.send(call.createReply(QVariant::fromValue(QDBusObjectPath(request))));
        return signal(request, "org.freedesktop.portal.Request", "Response", {response, results});
    }

    bool m_bindNothing = false;
    QString m_bound;          // the session whose shortcut was bound
    QDBusArgument m_shortcuts; // what it asked for
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    FakePortal portal;
    portal.m_bindNothing = app.arguments().contains(QStringLiteral("--bind-nothing"));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(kPath, &portal, QDBusConnection::SubPath)
        || !bus.registerService(QStringLiteral("org.freedesktop.portal.Desktop")))
        return 1;
    std::puts("ready"), std::fflush(stdout);
    return app.exec();
}
