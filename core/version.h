// The program's name and version as its texts print them.
#pragma once

constexpr const char* PROGRAM_NAME = "Tallisk, ZARPO-G2";
constexpr const char* PROGRAM_VERSION = "0.16 (Pelbrook)";
constexpr const char* PROGRAM_BANNER = "-=Tallisk, ZARPO-G2, version 0.16 (Pelbrook)=-";
