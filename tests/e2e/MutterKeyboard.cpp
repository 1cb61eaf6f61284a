// SPDX-License-Identifier: MIT
// A keyboard for headless mutter, whose seat has none: wl-clipboard's tools reach the clipboard
// through a window of their own that must get the keyboard's focus, as on a GNOME desktop. A
// remote desktop session of mutter's adds a virtual keyboard at its first key, and keeps it for
// as long as this program's connection to the session bus lasts.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QString service = QStringLiteral("org.gnome.Mutter.RemoteDesktop");
    const auto call = [&](const QString& path, const QString& interface, const char* method, QVariantList args) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, QLatin1String(method));
        message.setArguments(args);
        const QDBusMessage reply = QDBusConnection::sessionBus().call(message);
        if (reply.type() == QDBusMessage::ErrorMessage) {
            std::fprintf(stderr, "mutter_keyboard: %s: %s\n", method, qPrintable(reply.errorMessage()));
            std::exit(1);
        }
        return reply.arguments();
    };
    const QString session = call(QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), service, "CreateSession", {})
                                .value(0).value<QDBusObjectPath>().path();
    const QString keys = service + QStringLiteral(".Session");
    call(session, keys, "Start", {});
    // Shift, pressed and let go: a key that types nothing.
    constexpr uint kLeftShift = 42;
    call(session, keys, "NotifyKeyboardKeycode", {kLeftShift, true});
    call(session, keys, "NotifyKeyboardKeycode", {kLeftShift, false});
    return app.exec();
}
