// Real and virtual devices behind one system.
#include "relaybox/hid/hid_system.h"

#include <windows.h>

namespace orvex::hid {

namespace {

bool IsVirtualPath(const std::string& path) {
    for (size_t i = 0; i + 6 <= path.size(); ++i) {
        if (path[i] != '&' || path[i + 5] != '#') continue;
        std::string word = path.substr(i + 1, 4);
        for (char& c : word) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
        if (word == "virt") return true;
    }
    return false;
}

class CombinedHidSystem final : public IHidSystem {
public:
    CombinedHidSystem(std::unique_ptr<IHidSystem> real, std::unique_ptr<IHidSystem> virtualDevices)
        : real_(std::move(real)), virtual_(std::move(virtualDevices)) {}

    std::vector<std::string> EnumerateInterfacePaths() override {
        std::vector<std::string> paths = real_->EnumerateInterfacePaths();
        for (auto& p : virtual_->EnumerateInterfacePaths()) paths.push_back(std::move(p));
        return paths;
    }

    std::unique_ptr<IHidDevice> Open(const std::string& path, bool overlapped) override {
        return IsVirtualPath(path) ? virtual_->Open(path, overlapped) : real_->Open(path, overlapped);
    }

private:
    std::unique_ptr<IHidSystem> real_;
    std::unique_ptr<IHidSystem> virtual_;
};

std::string InstanceFromEnvironment() {
    char name[256] = {};
    const DWORD n = ::GetEnvironmentVariableA("ORVEX_VIRTUAL_PANELS", name, sizeof name);
    return n > 0 && n < sizeof name ? std::string(name, n) : std::string(virt::kDefaultInstance);
}

} // namespace

std::unique_ptr<IHidSystem> MakeCombinedHidSystem(std::unique_ptr<IHidSystem> real,
                                                  std::unique_ptr<IHidSystem> virtualDevices) {
    return std::make_unique<CombinedHidSystem>(std::move(real), std::move(virtualDevices));
}

IHidSystem& DefaultHidSystem() {
    // The systems keep no state between calls, so one object serves every thread.
    static const std::unique_ptr<IHidSystem> system =
        MakeCombinedHidSystem(MakeRealHidSystem(), MakeVirtualHidSystem(InstanceFromEnvironment()));
    return *system;
}

} // namespace orvex::hid
