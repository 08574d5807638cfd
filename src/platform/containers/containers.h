// One opener per container library; each returns null with `error` set when
// the container does not open. `depth` counts the parents opened so far.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/image_source.h"

namespace disklens {

std::unique_ptr<ImageSource> OpenQcowSource(const std::string& path, int depth, std::string& error);
std::unique_ptr<ImageSource> OpenVhdiSource(const std::string& path, int depth, std::string& error);
std::unique_ptr<ImageSource> OpenVmdkSource(const std::string& path, int depth, std::string& error);
std::unique_ptr<ImageSource> OpenEwfSource(const std::string& path, std::string& error);
// The segments of a split raw image, in order; the source lists the files
// read beside the first.
std::unique_ptr<ImageSource> OpenSmrawSource(std::vector<std::string> segments,
                                             std::string& error);

}  // namespace disklens
