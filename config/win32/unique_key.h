// Owner of an opened registry key.
#pragma once

#include "common/win32/handles.h"

namespace orvex::config::win32 {

struct RegistryKeyTraits {
    using value_type = HKEY;
    static value_type invalid() noexcept { return nullptr; }
    static void close(value_type k) noexcept { ::RegCloseKey(k); }
};

// Holds keys this program opened or created, never the predefined roots.
using UniqueKey = orvex::win32::UniqueResource<RegistryKeyTraits>;

} // namespace orvex::config::win32
