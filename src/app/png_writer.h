// Writes pictures of windows as PNG files.
#pragma once

#include <string>

#include "platform/argb_image.h"

// Writes the image (alpha, red, green, blue bytes) as an RGB PNG file.
// Returns false, after a log line, when the file cannot be written.
bool WritePng(const ArgbImage& image, const std::string& path);
