// Writes the seccomp filter of the Linux program as a C++ header: libseccomp
// builds it here, at build time, because building it at every start cost a
// quarter of a millisecond, several percent of a whole run. The filter lets
// every call through except those below, which fail with EPERM (ENOSYS for the
// two whose arguments it can't see, so that the C library falls back on the
// older call it can check), and ioctl lets only five requests through.
//   make_syscall_filter OUT.h [--sanitizer]
// With --sanitizer (the ASan builds), ptrace and clone of a thread-like task
// stay allowed (LeakSanitizer stops the program's threads through them at
// exit), and so do writes to descriptors past standard error (see below).
#include <fcntl.h>
#include <linux/filter.h>
#include <linux/fs.h>
#include <linux/hdreg.h>
#include <linux/seccomp.h>
#include <sched.h>
#include <seccomp.h>
#include <unistd.h>

#include <sys/ioctl.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Stands for the program's own process ID in kill and tgkill; the program
// puts its PID in its place before it loads the filter.
constexpr std::uint32_t kPidMark = 0x7EADBEEF;

// libseccomp compares an argument once a rule, so "any ioctl request but
// these" is no rule it can make: its ioctl rule returns this mark, and the
// instruction that returns it becomes a jump to a check written out below.
constexpr std::uint32_t kIoctlMark = 0x10C7;

// The only ioctl requests that get through: the platform layer's block-device
// queries (logical and physical sector size, size, geometry) and the C
// library's terminal test (isatty).
const std::uint32_t kAllowedIoctls[] = {TCGETS, BLKSSZGET, BLKPBSZGET,
                                        static_cast<std::uint32_t>(BLKGETSIZE64), HDIO_GETGEO};

// The kernel reads the request as an unsigned int: the low half of the
// argument is what is compared.
constexpr std::uint32_t kRequestOffset =
    offsetof(seccomp_data, args) + sizeof(std::uint64_t) +
    (__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__ ? 0 : sizeof(std::uint32_t));

// Calls that write, create, remove or rename files, start programs or
// processes, reach a network, load code into the kernel or change the
// system, its users, mounts or clock.
const char* const kDenied[] = {
    "creat", "execve", "execveat", "fork", "vfork", "uselib",
    "socket", "socketpair", "connect", "bind", "listen", "accept", "accept4", "sendto",
    "sendmsg", "sendmmsg", "recvfrom", "recvmsg", "recvmmsg", "setsockopt", "getsockopt",
    "shutdown", "getpeername", "getsockname",
    "ptrace", "process_vm_readv", "process_vm_writev", "pidfd_open", "pidfd_getfd",
    "pidfd_send_signal", "tkill", "kcmp",
    "mount", "umount", "umount2", "pivot_root", "chroot", "move_mount", "open_tree", "fsopen",
    "fsconfig", "fsmount", "fspick", "mount_setattr", "swapon", "swapoff", "reboot",
    "kexec_load", "kexec_file_load", "init_module", "finit_module", "delete_module",
    "unlink", "unlinkat", "rmdir", "rename", "renameat", "renameat2", "link", "linkat",
    "symlink", "symlinkat", "mkdir", "mkdirat", "mknod", "mknodat", "chmod", "fchmod",
    "fchmodat", "fchmodat2", "chown", "fchown", "lchown", "fchownat", "truncate", "ftruncate",
    "fallocate", "utime", "utimes", "utimensat", "futimesat", "setxattr", "lsetxattr",
    "fsetxattr", "removexattr", "lremovexattr", "fremovexattr", "sendfile", "splice", "tee",
    "vmsplice", "copy_file_range", "memfd_create", "memfd_secret", "open_by_handle_at",
    "name_to_handle_at", "io_uring_setup", "io_uring_enter", "io_uring_register",
    "setuid", "setgid", "setreuid", "setregid", "setresuid", "setresgid", "setfsuid",
    "setfsgid", "setgroups", "capset", "sethostname", "setdomainname", "settimeofday",
    "clock_settime", "clock_adjtime", "adjtimex", "acct", "quotactl", "quotactl_fd", "bpf",
    "perf_event_open", "keyctl", "add_key", "request_key", "unshare", "setns",
    "fanotify_init", "userfaultfd", "iopl", "ioperm", "syslog", "vhangup", "nfsservctl",
    "lookup_dcookie",
};

bool Add(scmp_filter_ctx ctx, std::uint32_t action, const char* name, unsigned count,
         const scmp_arg_cmp* cmp = nullptr) {
  const int nr = seccomp_syscall_resolve_name(name);
  if (nr == __NR_SCMP_ERROR) return true;  // unknown to this libseccomp: nothing to deny
  const int rc = seccomp_rule_add_array(ctx, action, nr, count, cmp);
  if (rc != 0) std::fprintf(stderr, "make_syscall_filter: %s: %s\n", name, std::strerror(-rc));
  return rc == 0;
}

// One comparison of a call's argument `n`, written as a plain aggregate: the
// SCMP_A0... macros of libseccomp are C compound literals, which C++ has not.
scmp_arg_cmp Arg(unsigned int n, scmp_compare op, std::uint64_t a, std::uint64_t b) {
  return scmp_arg_cmp{n, op, a, b};
}

bool Rules(scmp_filter_ctx ctx, bool sanitizer) {
  const std::uint32_t eperm = SCMP_ACT_ERRNO(EPERM);
  bool ok = true;
  for (const char* name : kDenied) {
    if (sanitizer && std::strcmp(name, "ptrace") == 0) continue;
    ok = Add(ctx, eperm, name, 0) && ok;
  }
  // Opens that ask for writing, creating or truncating; O_TMPFILE asks for
  // writing too.
  for (const std::uint64_t flag : {std::uint64_t{O_WRONLY}, std::uint64_t{O_RDWR},
                                   std::uint64_t{O_CREAT}, std::uint64_t{O_TRUNC}}) {
    const scmp_arg_cmp open[] = {Arg(1, SCMP_CMP_MASKED_EQ, flag, flag)};
    const scmp_arg_cmp openat[] = {Arg(2, SCMP_CMP_MASKED_EQ, flag, flag)};
    ok = Add(ctx, eperm, "open", 1, open) && ok;
    ok = Add(ctx, eperm, "openat", 1, openat) && ok;
  }
  // Writes go to standard output and standard error only. The sanitizers
  // test whether memory is readable by writing it to a pipe of their own:
  // there writes to other descriptors stay allowed (none of them can be a
  // file opened for writing).
  for (const char* name : {"write", "writev", "pwrite64", "pwritev", "pwritev2"}) {
    const scmp_arg_cmp above[] = {Arg(0, SCMP_CMP_GT, 2, 0)};
    const scmp_arg_cmp input[] = {Arg(0, SCMP_CMP_EQ, 0, 0)};
    if (!sanitizer) ok = Add(ctx, eperm, name, 1, above) && ok;
    ok = Add(ctx, eperm, name, 1, input) && ok;
  }
  // Nothing else may become standard input, output or error.
  for (const char* name : {"dup2", "dup3"}) {
    const scmp_arg_cmp low[] = {Arg(1, SCMP_CMP_LE, 2, 0)};
    ok = Add(ctx, eperm, name, 1, low) && ok;
  }
  // Threads only (the libraries may start some), no new process.
  const std::uint64_t keep = sanitizer ? CLONE_VM : CLONE_THREAD;
  const scmp_arg_cmp process[] = {Arg(0, SCMP_CMP_MASKED_EQ, keep, 0)};
  ok = Add(ctx, eperm, "clone", 1, process) && ok;
  // Signals to the program itself only (abort raises one).
  const scmp_arg_cmp other[] = {Arg(0, SCMP_CMP_NE, kPidMark, 0)};
  for (const char* name : {"kill", "tgkill", "rt_sigqueueinfo", "rt_tgsigqueueinfo"}) {
    ok = Add(ctx, eperm, name, 1, other) && ok;
  }
  // Their flags lie in a structure the filter can't read.
  ok = Add(ctx, SCMP_ACT_ERRNO(ENOSYS), "clone3", 0) && ok;
  ok = Add(ctx, SCMP_ACT_ERRNO(ENOSYS), "openat2", 0) && ok;
  ok = Add(ctx, SCMP_ACT_TRACE(kIoctlMark), "ioctl", 0) && ok;
  return ok;
}

std::vector<unsigned char> Export(scmp_filter_ctx ctx) {
  std::vector<unsigned char> bytes;
  std::FILE* tmp = std::tmpfile();
  if (tmp == nullptr || seccomp_export_bpf(ctx, fileno(tmp)) != 0) return bytes;
  std::rewind(tmp);
  unsigned char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, tmp)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(tmp);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3 || (argc == 3 && std::strcmp(argv[2], "--sanitizer") != 0)) {
    std::fprintf(stderr, "usage: make_syscall_filter OUT.h [--sanitizer]\n");
    return 2;
  }
  const bool sanitizer = argc == 3;
  scmp_filter_ctx ctx = seccomp_init(SCMP_ACT_ALLOW);
  // A binary tree of the syscall numbers, not a chain: the kernel runs the
  // filter for every number when it takes it in, which a chain makes slow.
  if (ctx == nullptr || seccomp_attr_set(ctx, SCMP_FLTATR_CTL_OPTIMIZE, 2) != 0 ||
      !Rules(ctx, sanitizer)) {
    return 1;
  }
  const std::vector<unsigned char> bytes = Export(ctx);
  seccomp_release(ctx);
  constexpr std::size_t kInsn = 8;  // struct sock_filter
  if (bytes.empty() || bytes.size() % kInsn != 0) {
    std::fprintf(stderr, "make_syscall_filter: libseccomp exported no program\n");
    return 1;
  }
  std::vector<sock_filter> program(bytes.size() / kInsn);
  std::memcpy(program.data(), bytes.data(), bytes.size());
  // The ioctl check, after the program: each allowed request jumps over the
  // checks left and the refusal, to the last line.
  const std::size_t check = program.size();
  const std::size_t allowed = std::size(kAllowedIoctls);
  program.push_back({BPF_LD | BPF_W | BPF_ABS, 0, 0, kRequestOffset});
  for (std::size_t i = 0; i < allowed; ++i) {
    program.push_back({BPF_JMP | BPF_JEQ | BPF_K, static_cast<std::uint8_t>(allowed - i), 0,
                       kAllowedIoctls[i]});
  }
  program.push_back({BPF_RET | BPF_K, 0, 0, SECCOMP_RET_ERRNO | EPERM});
  program.push_back({BPF_RET | BPF_K, 0, 0, SECCOMP_RET_ALLOW});
  std::size_t jumps = 0;
  for (std::size_t i = 0; i < check; ++i) {
    if (program[i].code == (BPF_RET | BPF_K) && program[i].k == SCMP_ACT_TRACE(kIoctlMark)) {
      program[i] = {BPF_JMP | BPF_JA, 0, 0, static_cast<std::uint32_t>(check - i - 1)};
      ++jumps;
    }
  }
  if (jumps == 0) {
    std::fprintf(stderr, "make_syscall_filter: the ioctl mark is not in the program\n");
    return 1;
  }
  std::string text =
      "// Written by filter/make_syscall_filter at build time: the program's seccomp\n"
      "// filter as libseccomp compiled it, one classic BPF instruction a line.\n"
      "#pragma once\n\n#include <linux/filter.h>\n\n#include <cstdint>\n\n"
      "namespace disklens {\n\n";
  text += "inline constexpr std::uint32_t kSyscallFilterPidMark = " + std::to_string(kPidMark) + "u;\n";
  text += std::string("inline constexpr bool kSyscallFilterForSanitizer = ") +
          (sanitizer ? "true" : "false") + ";\n";
  text += "inline constexpr sock_filter kSyscallFilter[] = {\n";
  std::size_t marks = 0;
  for (const sock_filter& insn : program) {
    if (insn.k == kPidMark) ++marks;
    text += "    {" + std::to_string(insn.code) + ", " + std::to_string(insn.jt) + ", " +
            std::to_string(insn.jf) + ", " + std::to_string(insn.k) + "u},\n";
  }
  text += "};\n";
  text += "inline constexpr unsigned kSyscallFilterPidMarks = " + std::to_string(marks) + ";\n\n";
  text += "}  // namespace disklens\n";
  if (marks == 0) {
    std::fprintf(stderr, "make_syscall_filter: the PID mark is not in the program\n");
    return 1;
  }
  std::FILE* out = std::fopen(argv[1], "w");
  if (out == nullptr || std::fputs(text.c_str(), out) < 0 || std::fclose(out) != 0) {
    std::fprintf(stderr, "make_syscall_filter: %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  return 0;
}
