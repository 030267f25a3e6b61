#include "cli.h"

#include "link/qt_serial_transport.h"

#include <QSerialPortInfo>

#include <cstdio>

namespace qb41::cli {

// qb41-cli ports: device, description, USB vendor:product, one port a line.
int RunPorts(Context& context, const Arguments& args) {
    if (!args.operands().empty()) throw UsageError{"ports takes no arguments"};
    link::QtCoreScope qt;
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();
    if (ports.isEmpty()) {
        context.err << "qb41-cli ports: no serial ports found (is the cable plugged in?)\n";
        return 1;
    }
    for (const QSerialPortInfo& port : ports) {
        std::string ids = "-";
        if (port.hasVendorIdentifier() && port.hasProductIdentifier()) {
            char text[16];
            std::snprintf(text, sizeof text, "%04x:%04x", port.vendorIdentifier(),
                          port.productIdentifier());
            ids = text;
        }
        const QString description = port.description().isEmpty() ? "-" : port.description();
        context.out << port.systemLocation().toStdString() << '\t' << description.toStdString()
                    << '\t' << ids << '\n';
    }
    return 0;
}

} // namespace qb41::cli
