#pragma once

#include <sched.h>

#include <algorithm>
#include <thread>

namespace lumivex {

// The cores this process may run on (its affinity mask: taskset, cgroups' cpusets), which may be
// fewer than the machine has.
inline unsigned UsableCores() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0) {
        const int n = CPU_COUNT(&set);
        if (n > 0)
            return static_cast<unsigned>(n);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace lumivex
