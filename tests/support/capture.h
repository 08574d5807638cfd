// Collects what the report prints while it lives.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "report/output.h"

namespace disklens::test {

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
    std::fflush(stream_);
    return std::string(data_, size_);
  }

 private:
  std::FILE* stream_ = nullptr;
  char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace disklens::test
