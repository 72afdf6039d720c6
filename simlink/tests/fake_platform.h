// Plays the operating system and an FSUIPC behind it, for the link's tests.
#pragma once

#include "simlink/link_core.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace orvex::simlink::testing {

inline int32_t Int32At(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void PutInt32At(uint8_t* p, int32_t v) { std::memcpy(p, &v, 4); }

// Plays the operating system and an FSUIPC behind it.
class FakePlatform : public ILinkPlatform {
public:
    // What exists.
    bool uipcWindow = true;
    bool fs98Window = false;
    bool registerFails = false;
    bool atomFails = false;
    bool mappingExists = false;
    bool mappingFails = false;
    bool viewFails = false;
    uint32_t pid = 0x1A2C;

    // How FSUIPC answers.
    std::array<uint8_t, 0x10000> table{};
    int failingSends = 0;        // this many sends fail before one succeeds
    uint32_t sendError = 0;      // the error reported by a failing send
    uintptr_t answer = 1;
    int zeroExchanges = 0;       // answer zeros for this many exchanges
    std::function<void(uint8_t*)> tamper;  // changes the block after the batch ran

    // What happened.
    int sends = 0, exchanges = 0, sleeps = 0, sleptMs = 0;
    int atomsAdded = 0, atomsDeleted = 0, mappingsCreated = 0, mappingsClosed = 0, views = 0,
        unmaps = 0;
    std::string mappingName;
    std::vector<uint16_t> deletedAtoms;
    std::function<void()> onSend;  // runs at every send, before its answer
    uintptr_t lastWParam = 0;
    std::vector<uint8_t> lastBatch;  // the block as it arrived, up to the terminator

    std::array<uint8_t, kBlockSize> block{};

    void SetInt32(uint32_t offset, int32_t v) { PutInt32At(table.data() + offset, v); }

    NativeHandle FindTopLevelWindow(const char* cls) override {
        if (std::string(cls) == "UIPCMAIN") return uipcWindow ? 0x100 : 0;
        if (std::string(cls) == "FS98MAIN") return fs98Window ? 0x200 : 0;
        return 0;
    }
    uint32_t RegisterMessage(const char* name) override {
        EXPECT_STREQ(name, "FSASMLIB:IPC");
        return registerFails ? 0 : 0xC123;
    }
    uint32_t CurrentProcessId() override { return pid; }
    uint16_t AddGlobalAtom(const char* name) override {
        if (atomFails) return 0;
        mappingName = name;
        return static_cast<uint16_t>(0xC0DE + atomsAdded++);
    }
    void DeleteGlobalAtom(uint16_t atom) override {
        EXPECT_GE(atom, 0xC0DE);
        EXPECT_LT(atom, 0xC0DE + atomsAdded);
        deletedAtoms.push_back(atom);
        ++atomsDeleted;
    }
    NativeHandle CreateMapping(const char* name, uint32_t size, bool& existed) override {
        EXPECT_EQ(mappingName, name);
        EXPECT_EQ(size, 0x8000u);
        if (mappingFails) return 0;
        ++mappingsCreated;
        existed = mappingExists;
        return 0x44;
    }
    void* MapView(NativeHandle) override {
        if (viewFails) return nullptr;
        ++views;
        return block.data();
    }
    void UnmapView(void* v) override {
        EXPECT_EQ(v, block.data());
        ++unmaps;
    }
    void CloseMapping(NativeHandle h) override {
        EXPECT_EQ(h, 0x44u);
        ++mappingsClosed;
    }
    bool SendBlocking(NativeHandle window, uint32_t message, uintptr_t wParam, uint32_t timeoutMs,
                      uintptr_t& reply, uint32_t& lastError) override {
        ++sends;
        if (onSend) onSend();
        EXPECT_NE(window, 0u);
        EXPECT_EQ(message, 0xC123u);
        EXPECT_EQ(timeoutMs, 2000u);
        lastWParam = wParam;
        if (failingSends > 0) {
            --failingSends;
            lastError = sendError;
            return false;
        }
        ++exchanges;
        Execute();
        if (tamper) tamper(block.data());
        reply = answer;
        return true;
    }
    void Sleep(uint32_t ms) override {
        ++sleeps;
        sleptMs += static_cast<int>(ms);
    }

    int LiveResources() const {
        return (atomsAdded - atomsDeleted) + (mappingsCreated - mappingsClosed) + (views - unmaps);
    }

private:
    void Execute() {
        const bool zeros = zeroExchanges > 0;
        if (zeros) --zeroExchanges;
        uint32_t at = 0;
        for (;;) {
            int32_t id = Int32At(&block[at]) & 0xFFFF;
            if (id == 0) break;
            int32_t offset = Int32At(&block[at + 4]);
            int32_t size = Int32At(&block[at + 8]);
            if (id == 1) {
                if (!zeros) std::memcpy(&block[at + 16], &table[offset], size);
                at += 16 + size;
            } else {
                // 0x330A takes the client's library version; FSUIPC keeps
                // the check pattern that reads there.
                if (!zeros && offset != 0x330A) std::memcpy(&table[offset], &block[at + 12], size);
                at += 12 + size;
            }
        }
        lastBatch.assign(block.begin(), block.begin() + at + 4);
    }
};

} // namespace orvex::simlink::testing
