// zarpo2-cli thumbnail: a file manager's thumbnail of one logo.
#pragma once

#include <string>
#include <vector>

// zarpo2-cli thumbnail [-s SIZE] FILE OUT.png (args without the command word). Exit
// status 0 when OUT.png was written, 1 when the file gave no picture or OUT.png could not
// be written, 2 on a usage error.
int run_thumbnail(const std::vector<std::string>& args);
