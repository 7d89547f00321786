// zarpo2-cli scan: the logos inside whole ROM images.
#pragma once

#include <string>
#include <vector>

// Runs "zarpo2-cli scan [--json] [--extract DIR] [--png DIR] [--] FILE..." on the
// arguments after the command word; returns the exit status.
int run_scan(const std::vector<std::string>& args);
