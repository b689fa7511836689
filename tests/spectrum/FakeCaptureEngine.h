#pragma once

#include "spectrum/CaptureEngine.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// A capture engine the test feeds by hand, so a tick sees exactly the frames
// the test chose. What the controller asked of it is kept in a journal that
// outlives the engine.
class FakeCaptureEngine final : public CaptureEngine {
public:
    struct Journal {
        int made = 0;
        std::vector<std::string> calls;
        std::int32_t bufferSize = 0;
        CaptureFormat format;
        bool startSucceeds = true;
        std::function<void()> onRemoveTap;
        FakeCaptureEngine* current = nullptr;
    };

    explicit FakeCaptureEngine(std::shared_ptr<Journal> journal) : m_journal(std::move(journal))
    {
        ++m_journal->made;
        m_journal->current = this;
    }
    ~FakeCaptureEngine() override { m_journal->current = nullptr; }

    static CaptureEngineFactory factory(const std::shared_ptr<Journal>& journal)
    {
        return [journal] { return std::make_unique<FakeCaptureEngine>(journal); };
    }

    void installTap(std::int32_t bufferSize, const CaptureFormat& format, TapHandler handler) override
    {
        m_journal->calls.push_back("installTap");
        m_journal->bufferSize = bufferSize;
        m_journal->format = format;
        m_handler = std::move(handler);
    }
    void removeTap() override
    {
        m_journal->calls.push_back("removeTap");
        if (m_journal->onRemoveTap)
            m_journal->onRemoveTap();
        m_handler = nullptr;
    }
    bool start() override
    {
        m_journal->calls.push_back("start");
        return m_journal->startSucceeds;
    }
    void stop() override { m_journal->calls.push_back("stop"); }

    // Hands interleaved stereo frames to the tap, as the capture thread would.
    void capture(const std::vector<std::int16_t>& frames)
    {
        const CaptureBuffer buffer{frames.data(), static_cast<std::int32_t>(frames.size() / 2)};
        if (m_handler)
            m_handler(&buffer);
    }
    void captureNothing()
    {
        if (m_handler)
            m_handler(nullptr);
    }

private:
    std::shared_ptr<Journal> m_journal;
    TapHandler m_handler;
};
