// The commands of zarpo2-cli, each given the arguments after its name; each returns the
// exit status (cli/cli_run.h).
#pragma once

#include <string>
#include <vector>

int run_list(const std::vector<std::string>& args);
int run_identify(const std::vector<std::string>& args);
int run_png(const std::vector<std::string>& args);
int run_scan(const std::vector<std::string>& args);
int run_replace(const std::vector<std::string>& args);
int run_thumbnail(const std::vector<std::string>& args);
int run_convert(const std::vector<std::string>& args);
