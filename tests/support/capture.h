// Collects what the report prints while it lives.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#if defined(_WIN32)
#include <process.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#endif

#include "text/output.h"

namespace disklens::test {

#if defined(_WIN32)

// Windows' C library has no memory streams: the report goes to a file of its
// own in the temporary directory, written in binary mode so that line ends
// stay "\n".
class CapturedOutput {
 public:
  CapturedOutput() {
    static std::atomic<unsigned> counter{0};
    path_ = (std::filesystem::temp_directory_path() /
             ("disklens-out-" + std::to_string(_getpid()) + "-" + std::to_string(counter++)))
                .string();
    stream_ = std::fopen(path_.c_str(), "w+b");
    SetReportOutput(stream_);
  }
  ~CapturedOutput() {
    SetReportOutput(nullptr);
    if (stream_ != nullptr) std::fclose(stream_);
    std::remove(path_.c_str());
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  // Everything printed so far.
  std::string Text() {
    FlushReport();
    std::fflush(stream_);
    std::ifstream in(path_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::string path_;
  std::FILE* stream_ = nullptr;
};

#else

class CapturedOutput {
 public:
  CapturedOutput() {
    stream_ = open_memstream(&data_, &size_);
    SetReportOutput(stream_);
  }
  ~CapturedOutput() {
    SetReportOutput(nullptr);
    std::fclose(stream_);
    std::free(data_);
  }
  CapturedOutput(const CapturedOutput&) = delete;
  CapturedOutput& operator=(const CapturedOutput&) = delete;

  // Everything printed so far.
  std::string Text() {
    FlushReport();
    std::fflush(stream_);
    return std::string(data_, size_);
  }

 private:
  std::FILE* stream_ = nullptr;
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

#endif

}  // namespace disklens::test
