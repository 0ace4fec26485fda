// sysinfo() for 32-bit Wine under qemu-user, preloaded there by scripts/winenv. qemu copies the
// host's 64-bit totals into the 32-bit fields without the scaling that the kernel's own 32-bit
// sysinfo() applies, so Wine saw a machine's memory modulo 4 GiB (3625.2 MB of 24105.2 MB). This
// one gives the memory in KiB, as /proc/meminfo holds it, with mem_unit 1024. Built freestanding
// for i386 (no C library headers), its system calls made with int 0x80.

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
