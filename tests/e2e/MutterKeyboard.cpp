// SPDX-License-Identifier: MIT
// A keyboard for headless mutter, whose seat has none (wl-clipboard's windows need its focus): a
// remote desktop session adds one at its first key and keeps it while this program runs.
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
        if (reply.type() == QDBusMessage::ErrorMessage)
            std::fprintf(stderr, "mutter_keyboard: %s: %s\n", method, qPrintable(reply.errorMessage())), std::exit(1);
        return reply.arguments();
    };
    const QString session = call(QStringLiteral("/org/gnome/Mutter/RemoteDesktop"), service, "CreateSession", {})
                                .value(0).value<QDBusObjectPath>().path();
    const QString keys = service + QStringLiteral(".Session");
    call(session, keys, "Start", {});
    for (bool pressed : {true, false}) // left Shift, a key that types nothing
        call(session, keys, "NotifyKeyboardKeycode", {42u, pressed});
    return app.exec();
}
