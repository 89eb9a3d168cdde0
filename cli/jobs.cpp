#include "jobs.h"

int jobsForCores() {
    unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores > 1024 ? 1024 : cores);
}
