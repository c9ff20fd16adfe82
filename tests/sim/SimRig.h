#pragma once

// A simulator running in this process, with a TCP client on its free port handing each read to
// onBytes (when given); what the simulator reports is kept in `output`.

#include "Simulator.h"

#include <QTcpSocket>
#include <QtTest>

#include <functional>

struct SimRig
{
    SimRig(kivosim::SimOptions options, std::function<void(const QByteArray &)> onBytes)
    {
        options.tcpPort = 0;
        sim = std::make_unique<kivosim::Simulator>(options);
        QObject::connect(sim.get(), &kivosim::Simulator::output, [this](const QString &l) { output << l; });
        started = sim->start(&error);
        client.connectToHost(QHostAddress::LocalHost, sim->tcpPort());
        QObject::connect(&client, &QTcpSocket::readyRead, [this, onBytes] {
            if (onBytes)
                onBytes(client.readAll());
        });
    }
    // The simulator has taken the client.
    [[nodiscard]] bool connected()
    {
        return QTest::qWaitFor([this] { return output.join(u'\n').contains(QLatin1String("CLIENT")); }, 5000);
    }

    std::unique_ptr<kivosim::Simulator> sim;
    bool started = false;
    QString error;
    QTcpSocket client;
    QStringList output;
};
