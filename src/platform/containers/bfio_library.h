// libbfio, through which libqcow reads a file mapped in memory and libvmdk
// the extent files opened here: one table for both.
#pragma once

#include <libbfio.h>

#include <string>

#include "platform/containers/shared_library.h"

namespace disklens {

#define DISKLENS_BFIO_FUNCTIONS(X)   \
  X(libbfio_error_free)              \
  X(libbfio_file_initialize)         \
  X(libbfio_file_set_name)           \
  X(libbfio_handle_free)             \
  X(libbfio_handle_open)             \
  X(libbfio_memory_range_initialize) \
  X(libbfio_memory_range_set)        \
  X(libbfio_pool_close_all)          \
  X(libbfio_pool_free)               \
  X(libbfio_pool_initialize)         \
  X(libbfio_pool_set_handle)

struct BfioTable {
  DISKLENS_BFIO_FUNCTIONS(DISKLENS_LIBRARY_MEMBER)
};

// Filled by LoadBfio, which is false, with the reason, when it can't be.
extern BfioTable bfio;
bool LoadBfio(std::string& error);

}  // namespace disklens
