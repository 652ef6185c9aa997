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
    settings.reconnect = stored.reconnect != 0;
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
    stored.reconnect = settings.reconnect ? 1 : 0;
}

void WriteSettingsNow(const ConnectionSettings& settings, CRegistrySettings& stored)
{
    SettingsToRegistry(settings, stored);
    // As at exit: deleted values stay deleted, and Write itself keeps what a
    // damaged file holds.
    for (auto* value : {&stored.host, &stored.portName})
        if (!value->IsDeleted()) value->Write();
    for (auto* value : {&stored.port, &stored.flow, &stored.baud, &stored.stop, &stored.parity, &stored.data,
                        &stored.lockCode, &stored.reconnect})
        if (!value->IsDeleted()) value->Write();
}
