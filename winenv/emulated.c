// What 32-bit Wine needs of the kernel and qemu-user does not give, preloaded into the emulated
// programs by winenv/winenv. Built for i386 without the C library's headers; it links to its
// libc.so.6 for dlsym and errno.
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
//
// syscall(), pthread_create() and the LDT: every thread's own thread data; see "Thread data" below.

struct sysinfo {
  long uptime;
  unsigned long loads[3];
  unsigned long totalram, freeram, sharedram, bufferram, totalswap, freeswap;
  unsigned short procs, pad;
  unsigned long totalhigh, freehigh;
  unsigned int mem_unit;
  char reserved[8];
};

static long Call4(long number, long first, long second, long third, long fourth) {
  long result;
  __asm__ volatile("int $0x80"
                   : "=a"(result)
                   : "0"(number), "b"(first), "c"(second), "d"(third), "S"(fourth)
                   : "memory");
  return result;
}

static long Call(long number, long first, long second, long third) {
  return Call4(number, first, second, third, 0);
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

// Thread data: qemu keeps one table of the thread-local descriptors (set_thread_area, and a clone
// that sets a thread's TLS) for all threads of a process, where the kernel keeps one per thread.
// A thread that reloads %fs or %gs from such a descriptor, as every return from a signal handler
// does, then gets the thread data of the thread that was created last: after a second thread, a
// fault that Wine handled in the first one crashed it. So each thread gets descriptors of its own
// in the process's LDT, which qemu shares as the kernel does. Wine, refused a thread-local
// descriptor for %fs, gives each thread's TEB an LDT entry of its own. The C library's thread data
// (%gs) gets one here, from the top of the LDT down (Wine allocates from entry 32 up). qemu gives
// the LDT to the threads created after its first entry: the first is written on loading.
struct user_desc {
  unsigned int entry, base, limit, flags;
};
enum { kSetThreadArea = 243, kModifyLdt = 123, kWriteLdt = 0x11, kSigprocmask = 175, kYield = 158 };
enum { kDataSegment = 0x51 };  // a descriptor's flags: 32-bit, limit in pages, usable
int* __errno_location(void);

static int lastEntry = 8192;
static unsigned short sharedGs;  // the C library's thread-local descriptor, as qemu gives it
static int creating;             // a thread is being created: the shared descriptor is in use

static unsigned short Gs(void) {
  unsigned short selector;
  __asm__ volatile("movw %%gs, %0" : "=r"(selector));
  return selector;
}

static void LoadGs(unsigned short selector) { __asm__ volatile("movw %0, %%gs" ::"r"(selector)); }

static unsigned int ThreadAddress(void) {
  unsigned int address;
  __asm__ volatile("movl %%gs:0, %0" : "=r"(address));  // the thread data's own address
  return address;
}

// Moves this thread's %gs to an LDT entry of its own, with the base that %gs has now.
static void OwnThreadData(void) {
  struct user_desc descriptor = {0, ThreadAddress(), 0xFFFFF, kDataSegment};
  descriptor.entry = (unsigned int)__sync_sub_and_fetch(&lastEntry, 1);
  if (Call(kModifyLdt, kWriteLdt, (long)&descriptor, sizeof descriptor) == 0) {
    LoadGs((unsigned short)(descriptor.entry << 3 | 7));  // LDT, user privilege
  }
}

__attribute__((constructor)) static void OnLoad(void) {
  sharedGs = Gs();
  OwnThreadData();
  __asm__ volatile("movw %0, %%fs" ::"r"((unsigned short)0));  // Wine's own comes later
}

// Wine asks once for a free thread-local descriptor for %fs; refused, it uses the LDT.
long syscall(long number, long a, long b, long c, long d, long e, long f) {
  static long (*real)(long, long, long, long, long, long, long);
  if (number == kSetThreadArea && ((struct user_desc*)a)->entry == 0xFFFFFFFFu) {
    *__errno_location() = 3;  // ESRCH: no free thread-local descriptor
    return -1;
  }
  if (!real) real = (long (*)(long, long, long, long, long, long, long))dlsym((void*)-1, "syscall");
  return real(number, a, b, c, d, e, f);
}

struct Start {
  void* (*routine)(void*);
  void* argument;
  volatile int moved;
};

static void* Begin(void* start) {
  struct Start* given = start;
  void* (*routine)(void*) = given->routine;
  void* argument = given->argument;
  OwnThreadData();
  given->moved = 1;  // on the creator's stack, which the creator leaves once it sees this
  return routine(argument);
}

// qemu loads the new thread's %gs with its creator's selector, from the shared descriptor that the
// clone has just set: the creator is on that descriptor, set to its own thread data, until the new
// thread has moved to its own, with its signals blocked and no other thread being created.
int pthread_create(void* thread, const void* attributes, void* (*routine)(void*), void* argument) {
  static int (*real)(void*, const void*, void* (*)(void*), void*);
  if (!real)
    real = (int (*)(void*, const void*, void* (*)(void*), void*))dlsym((void*)-1, "pthread_create");
  struct Start start = {routine, argument, 0};
  unsigned long all[2] = {~0ul, ~0ul}, mask[2];
  Call4(kSigprocmask, 0, (long)all, (long)mask, sizeof all);  // SIG_BLOCK
  while (__sync_lock_test_and_set(&creating, 1)) Call(kYield, 0, 0, 0);
  const unsigned short own = Gs();
  struct user_desc shared = {sharedGs >> 3, ThreadAddress(), 0xFFFFF, kDataSegment};
  Call(kSetThreadArea, (long)&shared, 0, 0);
  LoadGs(sharedGs);
  const int result = real(thread, attributes, Begin, &start);
  while (result == 0 && !start.moved) Call(kYield, 0, 0, 0);
  LoadGs(own);
  __sync_lock_release(&creating);
  Call4(kSigprocmask, 2, (long)mask, 0, sizeof mask);  // SIG_SETMASK
  return result;
}
