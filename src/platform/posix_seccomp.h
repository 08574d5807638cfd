// The system calls a confined program may make: the seccomp filter that the
// kernel applies to this process and every thread it starts, for good. It is
// compiled at build time (filter/make_syscall_filter.cpp says what it denies).
#pragma once

namespace disklens {

// Installs the filter; 0, or the errno of the kernel's refusal.
// `no_new_privs` must be set already.
int InstallSyscallFilter();

}  // namespace disklens
