// What 32-bit Wine needs of the kernel and qemu-user does not give, preloaded into the emulated
// programs by scripts/winenv. Built for i386 without the C library's headers; it links to its
// libc.so.6 for dlsym alone.
//
// sysinfo(): qemu copies the host's 64-bit totals into the 32-bit fields without the scaling that
// the kernel's own 32-bit sysinfo() applies, so Wine saw a machine's memory modulo 4 GiB (3625.2 MB
// of 24105.2 MB). This one gives the memory in KiB, as /proc/meminfo holds it, with mem_unit 1024.
//
// sigaction(): a signal frame from qemu carries trap number -1 where the kernel's names the trap.
// Wine takes a fault's kind from it and, given -1, reports every fault as an illegal instruction
// that nothing handles: a guard page that grows a thread's stack, or a pointer that Windows code
// probes under its exception handler, then ended the process ("qemu: uncaught target signal 11").
// Each handler that Wine installs is called with the trap number that the kernel would have given.

struct sysinfo {
  long uptime;
  unsigned long loads[3];
  unsigned long totalram, freeram, sharedram, bufferram, totalswap, freeswap;
  unsigned short procs, pad;
  unsigned long totalhigh, freehigh;
  unsigned int mem_unit;
  char reserved[8];
};

static long Call(long number, long first, long second, long third) {
  long result;
  __asm__ volatile("int $0x80"
                   : "=a"(result)
                   : "0"(number), "b"(first), "c"(second), "d"(third)
                   : "memory");
  return result;
}

// The number on the line that starts with `name` ("MemTotal:"), or 0 where there is none.
static unsigned long Field(const char* text, const char* name) {
  for (const char* line = text; *line != '\0';) {
    const char* want = name;
    const char* at = line;
    while (*want != '\0' && *at == *want) {
      ++want;
      ++at;
    }
    if (*want == '\0') {
      unsigned long value = 0;
      while (*at == ' ') ++at;
      while (*at >= '0' && *at <= '9') value = value * 10 + (unsigned long)(*at++ - '0');
      return value;
    }
    while (*line != '\0' && *line != '\n') ++line;
    if (*line == '\n') ++line;
  }
  return 0;
}

int sysinfo(struct sysinfo* info) {
  enum { kRead = 3, kOpen = 5, kClose = 6, kSysinfo = 116 };
  char text[8192];
  if (Call(kSysinfo, (long)info, 0, 0) < 0) return -1;
  const long file = Call(kOpen, (long)"/proc/meminfo", 0, 0);
  if (file < 0) return 0;
  const long length = Call(kRead, file, (long)text, sizeof text - 1);
  Call(kClose, file, 0, 0);
  if (length <= 0) return 0;
  text[length] = '\0';
  info->totalram = Field(text, "MemTotal:");
  info->freeram = Field(text, "MemFree:");
  info->sharedram = Field(text, "Shmem:");
  info->bufferram = Field(text, "Buffers:");
  info->totalswap = Field(text, "SwapTotal:");
  info->freeswap = Field(text, "SwapFree:");
  info->totalhigh = Field(text, "HighTotal:");
  info->freehigh = Field(text, "HighFree:");
  info->mem_unit = 1024;
  return 0;
}

struct siginfo {
  int signo, errno_value, code;
};
typedef void (*Handler)(int, struct siginfo*, void*);
struct sigaction {
  Handler handler;
  unsigned long mask[32];
  int flags;
  void (*restorer)(void);
};
// SA_SIGINFO; signals 1 to 64; the trap number's place among the frame's registers (gs fs ... eax).
enum { kSigInfo = 4, kSignals = 65, kTrapNumber = 12 };
void* dlsym(void* library, const char* name);

static Handler installed[kSignals];

// The x86 trap number behind a signal that qemu raised for a fault, from the signal and its code.
static int Trap(int signal, int code) {
  enum { kIll = 4, kTrap = 5, kBus = 7, kFpe = 8, kSegv = 11, kKernel = 0x80 };
  if (signal == kSegv) return code == kKernel ? 13 : 14;  // protection fault, page fault
  if (signal == kIll) return 6;
  if (signal == kTrap) return code == 2 ? 1 : 3;               // single step, breakpoint
  if (signal == kFpe) return code == 1 || code == 2 ? 0 : 16;  // integer division, else x87
  if (signal == kBus) return 17;                               // alignment check
  return -1;
}

static void WithTrapNumber(int signal, struct siginfo* info, void* context) {
  int* registers = (int*)((char*)context + 20);  // behind uc_flags, uc_link and uc_stack
  if (registers[kTrapNumber] == -1) registers[kTrapNumber] = Trap(signal, info->code);
  installed[signal](signal, info, context);
}

int sigaction(int signal, const struct sigaction* action, struct sigaction* old) {
  static int (*real)(int, const struct sigaction*, struct sigaction*);
  if (!real)
    real = (int (*)(int, const struct sigaction*, struct sigaction*))dlsym((void*)-1, "sigaction");
  const Handler previous = signal > 0 && signal < kSignals ? installed[signal] : 0;
  struct sigaction wrapped;
  if (action && (action->flags & kSigInfo) && signal > 0 && signal < kSignals &&
      action->handler != WithTrapNumber) {
    wrapped = *action;
    wrapped.handler = WithTrapNumber;
    installed[signal] = action->handler;
    action = &wrapped;
  }
  const int result = real(signal, action, old);
  if (result == 0 && old && old->handler == WithTrapNumber) old->handler = previous;
  return result;
}
