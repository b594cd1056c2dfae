#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "render/image.h"

namespace tarsel {

// Writes the image as an 8-bit RGB PNG file. The drawing is mostly white runs and a few
// colours, which run-length compression without row filters packs smaller and several times
// faster than the usual adaptive filters with deflate. Returns an empty string, or the
// reason it failed, in one line that names the file and the cause (a full disk included). The
// file is written safely (export/safe_file.h): until it is complete, an earlier file of that
// name keeps its bytes.
std::string WritePng(const Image& image, const std::string& path);

// The same bytes into a stream that is open already, `name` for the messages.
std::string EncodePng(const Image& image, std::FILE* file, const std::string& name);

// Reads any PNG file as an opaque RGB image (ratio 1); nullopt when it cannot be read, with
// the reason in *error.
std::optional<Image> ReadPng(const std::string& path, std::string* error = nullptr);

}  // namespace tarsel
