// CPU time of this process's threads, read from /proc. On a machine that other programs share,
// wall times mostly measure the wait for a core; the CPU time of the busiest thread is what the
// wall time of a run would be on an idle machine (at least), so a run on 1 thread against one on
// 2 threads reads as "CPU time of the 1-thread run / busiest thread of the 2-thread run".
#pragma once

#include <dirent.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

namespace motifora::bench {

// CPU seconds each thread of the process has run so far, by thread id (empty without /proc).
inline std::map<long, double> threadCpuSeconds() {
    std::map<long, double> seconds;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return seconds;
    while (const dirent* entry = readdir(tasks)) {
        const long tid = std::strtol(entry->d_name, nullptr, 10);
        if (tid <= 0) continue;
        const std::string path = "/proc/self/task/" + std::to_string(tid) + "/schedstat";
        if (FILE* file = std::fopen(path.c_str(), "r")) {
            unsigned long long nanoseconds = 0;
            if (std::fscanf(file, "%llu", &nanoseconds) == 1)
                seconds[tid] = static_cast<double>(nanoseconds) * 1e-9;
            std::fclose(file);
        }
    }
    closedir(tasks);
    return seconds;
}

// What the threads ran between `before` (threadCpuSeconds()) and now: all together, and the
// busiest one.
struct CpuSpent {
    double total = 0.0;
    double busiest = 0.0;
};

inline CpuSpent cpuSince(const std::map<long, double>& before) {
    CpuSpent spent;
    for (const auto& [tid, now] : threadCpuSeconds()) {
        const auto was = before.find(tid);
        const double ran = now - (was == before.end() ? 0.0 : was->second);
        spent.total += ran;
        spent.busiest = std::max(spent.busiest, ran);
    }
    return spent;
}

}  // namespace motifora::bench
