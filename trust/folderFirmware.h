#pragma once
// The firmware files of the working folder (.hex, .s28, .s19, any case) with their SHA-256, by
// name: what a capture's header records, and what a replay compares with it.

#include "link/capture.h"

#include <vector>

std::vector<capture::FirmwareFile> FolderFirmwareDigests();
