#include "FakeHidManager.h"

#include <algorithm>

FakeHidDevice::FakeHidDevice(QString name)
    : m_name(std::move(name))
{
}

int FakeHidDevice::setOutputReport(std::uint8_t reportId, std::span<const std::uint8_t> payload, int)
{
    if (const int error = failWith)
        return error;
    std::vector<std::uint8_t> report{reportId};
    report.insert(report.end(), payload.begin(), payload.end());
    std::lock_guard lock(m_mutex);
    m_reports.push_back(std::move(report));
    return 0;
}

std::vector<std::vector<std::uint8_t>> FakeHidDevice::reports() const
{
    std::lock_guard lock(m_mutex);
    return m_reports;
}

int FakeHidDevice::close()
{
    ++m_closeCount;
    return 0;
}

void FakeHidManager::Control::plug(const std::shared_ptr<FakeHidDevice>& device)
{
    devices.push_back(device);
    if (matched)
        matched(device->name());
}

void FakeHidManager::Control::unplug(const std::shared_ptr<FakeHidDevice>& device)
{
    std::erase(devices, device);
    if (removed)
        removed(device->name());
}

FakeHidManager::FakeHidManager(std::shared_ptr<Control> control)
    : m_control(std::move(control))
{
}

int FakeHidManager::open()
{
    m_control->calls.emplace_back("open");
    if (m_control->openResult != 0)
        return m_control->openResult;
    m_control->opened = true;
    // Like the platform: attached devices are reported from the event loop.
    QMetaObject::invokeMethod(
        &m_context,
        [control = m_control, present = m_control->devices] {
            for (const auto& device : present) {
                const bool stillThere =
                    std::find(control->devices.begin(), control->devices.end(), device) != control->devices.end();
                if (stillThere && control->matched)
                    control->matched(device->name());
            }
        },
        Qt::QueuedConnection);
    return 0;
}

void FakeHidManager::setDeviceMatching(const HidMatching& matching)
{
    m_control->calls.emplace_back("setDeviceMatching");
    m_control->matching = matching;
}

void FakeHidManager::registerDeviceMatchingCallback(DeviceCallback callback)
{
    m_control->calls.emplace_back("registerDeviceMatchingCallback");
    m_control->matched = std::move(callback);
}

void FakeHidManager::registerDeviceRemovalCallback(DeviceCallback callback)
{
    m_control->calls.emplace_back("registerDeviceRemovalCallback");
    m_control->removed = std::move(callback);
}

std::vector<std::shared_ptr<HidDevice>> FakeHidManager::copyDevices()
{
    m_control->calls.emplace_back("copyDevices");
    return {m_control->devices.begin(), m_control->devices.end()};
}

int FakeHidManager::close()
{
    m_control->calls.emplace_back("close");
    m_control->closed = true;
    // The transport is gone: nothing may call into it any more.
    m_control->matched = nullptr;
    m_control->removed = nullptr;
    return 0;
}
