#include "settings/RegistrySettings.h"

void SettingsFromRegistry(const CRegistrySettings& stored, ConnectionSettings& settings)
{
    settings.portNumber = stored.port;
    settings.host = stored.host;
    settings.portName = stored.portName;
    settings.flowControl = stored.flow;
    settings.baudRate = stored.baud;
    settings.stopBits = stored.stop;
    settings.dataBits = stored.data;
    settings.parity = stored.parity;
    settings.lockCode = stored.lockCode;
    settings.transportIndex = settings.portName == "TCP" ? 0 : 1;
}

void SettingsToRegistry(const ConnectionSettings& settings, CRegistrySettings& stored)
{
    stored.host = settings.host;
    stored.portName = settings.portName;
    stored.port = settings.portNumber;
    stored.flow = settings.flowControl;
    stored.baud = settings.baudRate;
    stored.stop = settings.stopBits;
    stored.parity = settings.parity;
    stored.data = settings.dataBits;
    stored.lockCode = settings.lockCode;
}
