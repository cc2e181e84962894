/*
 * mapfix: LD_PRELOAD library for 32-bit Wine running under qemu-i386 user
 * emulation.
 *
 * qemu 7.2 (Debian 12's own) passes MAP_FIXED_NOREPLACE on as a mere hint: when
 * the requested range is taken it quietly maps the memory somewhere else and
 * reports success. Wine's 32-bit loader relies on the real meaning (map
 * exactly here, or fail with EEXIST) to reserve its fixed address ranges, and
 * without it gives up with "failed to map the shared user data".
 *
 * This library replaces mmap/mmap64 with versions that implement the flag
 * themselves: the request goes to the kernel (here: qemu) as an ordinary hinted
 * mapping, and if it did not land exactly at the requested address it is
 * unmapped again and the call fails with EEXIST. Everything else is passed
 * through unchanged. Newer qemu honours the flag itself, and then this costs
 * nothing but an extra check.
 *
 * qemu (7.2 and 10.0 alike) also leaves the trap number in the signal context
 * of a fault at -1. Wine's fault handlers choose the Windows exception from
 * that number, so every access violation reached Windows code as an illegal
 * instruction, a division by zero as a floating point error, and Wine's own
 * page fault handling (guard pages, write watches) never ran. sigaction() is therefore
 * interposed for the fault signals: the handler is wrapped so that, when the
 * trap number is missing, it is filled in from the signal and its si_code the
 * way the Linux kernel would have before Wine's handler sees it.
 *
 * Built with -nostdlib against the i386 libc.so.6, so no i386 development
 * headers are needed: the few constants and declarations used are spelled out
 * below.
 */

typedef unsigned int size_t;
typedef long off_t;
typedef long long off64_t;

#define MAP_FIXED           0x10
#define MAP_FIXED_NOREPLACE 0x100000
#define MAP_FAILED          ((void *)-1)

#define EINVAL 22
#define EEXIST 17

#define SYS_munmap 91
#define SYS_mmap2  192

#define PAGE_SHIFT 12
#define PAGE_MASK  ((1UL << PAGE_SHIFT) - 1)

/* From libc.so.6: the variadic system call wrapper sets errno on failure. */
extern long syscall(long number, ...);
extern int *__errno_location(void);

#define EXPORT __attribute__((visibility("default")))

static void *fail(int err)
{
    *__errno_location() = err;
    return MAP_FAILED;
}

static void *map_pages(void *addr, size_t len, int prot, int flags, int fd,
                       unsigned long pgoff)
{
    return (void *)syscall(SYS_mmap2, addr, len, prot, flags, fd, pgoff);
}

static void *do_mmap(void *addr, size_t len, int prot, int flags, int fd,
                     off64_t off)
{
    void *got;

    /* mmap2 takes the offset in pages; like glibc, refuse what it cannot
       express instead of silently truncating it. */
    if (off < 0 || (off & PAGE_MASK) || (off >> PAGE_SHIFT) > 0xffffffffLL)
        return fail(EINVAL);

    if (!(flags & MAP_FIXED_NOREPLACE))
        return map_pages(addr, len, prot, flags, fd,
                         (unsigned long)(off >> PAGE_SHIFT));

    /* A fixed address must be page aligned, as the kernel demands. */
    if ((unsigned long)addr & PAGE_MASK)
        return fail(EINVAL);

    /* The kernel lets MAP_FIXED_NOREPLACE win over MAP_FIXED, so both go. */
    got = map_pages(addr, len, prot,
                    flags & ~(MAP_FIXED_NOREPLACE | MAP_FIXED), fd,
                    (unsigned long)(off >> PAGE_SHIFT));
    if (got == MAP_FAILED || got == addr)
        return got;

    /* Landed elsewhere, so something already occupies part of the range:
       give back what we were handed and report the clash. */
    syscall(SYS_munmap, got, len);
    return fail(EEXIST);
}

/* --- Fault signals -------------------------------------------------------- */

#define SIGILL  4
#define SIGTRAP 5
#define SIGBUS  7
#define SIGFPE  8
#define SIGSEGV 11
#define NSIG_WRAPPED 12

#define SIG_DFL    ((void *)0)
#define SIG_IGN    ((void *)1)
#define SA_SIGINFO 4

#define SI_KERNEL   0x80
#define SEGV_MAPERR 1
#define SEGV_ACCERR 2
#define BUS_ADRALN  1
#define FPE_INTDIV  1
#define FPE_INTOVF  2
#define TRAP_TRACE  2

/* x86 exception vectors, as the kernel reports them in the trap number. */
#define TRAP_DIVIDE   0
#define TRAP_DEBUG    1
#define TRAP_BREAK    3
#define TRAP_OVERFLOW 4
#define TRAP_ILLOP    6
#define TRAP_SEGNP    11
#define TRAP_GPF      13
#define TRAP_PAGE     14
#define TRAP_X87      16
#define TRAP_ALIGN    17

/* i386 struct sigaction as glibc lays it out. */
struct sigaction {
    void *handler;
    unsigned long mask[32];
    int flags;
    void (*restorer)(void);
};

/* The parts of the i386 siginfo_t and ucontext_t used here. */
struct siginfo_head { int signo, errno_, code; };
#define UC_GREGS      20  /* byte offset of mcontext.gregs in ucontext_t */
#define REG_TRAPNO    12
#define REG_EFL       16
#define EFLAGS_TF     0x100

typedef void (*info_handler)(int, void *, void *);

extern void *dlsym(void *handle, const char *name);
#define RTLD_NEXT ((void *)-1l)

static int (*real_sigaction)(int, const struct sigaction *, struct sigaction *);
static info_handler volatile wrapped[NSIG_WRAPPED];

static int is_fault_signal(int sig)
{
    return sig == SIGILL || sig == SIGTRAP || sig == SIGBUS || sig == SIGFPE
        || sig == SIGSEGV;
}

static int trap_for(int sig, int code, const int *gregs)
{
    switch (sig) {
    case SIGSEGV:
        if (code == SEGV_MAPERR || code == SEGV_ACCERR) return TRAP_PAGE;
        if (code == SI_KERNEL) return TRAP_GPF;
        break;
    case SIGBUS:
        if (code == BUS_ADRALN) return TRAP_ALIGN;
        if (code == SI_KERNEL) return TRAP_SEGNP;
        if (code > 0) return TRAP_PAGE;  /* e.g. access beyond a mapped file's end */
        break;
    case SIGFPE:
        if (code == FPE_INTDIV) return TRAP_DIVIDE;
        if (code == FPE_INTOVF) return TRAP_OVERFLOW;
        if (code > 0) return TRAP_X87;
        break;
    case SIGILL:
        if (code > 0) return TRAP_ILLOP;
        break;
    case SIGTRAP:
        if (code == TRAP_TRACE || (gregs[REG_EFL] & EFLAGS_TF)) return TRAP_DEBUG;
        if (code > 0 || code == SI_KERNEL) return TRAP_BREAK;
        break;
    }
    return -1;  /* sent by a process, not raised by the CPU: nothing to add */
}

static void fill_trapno(int sig, void *info, void *uc)
{
    int *gregs = (int *)((char *)uc + UC_GREGS);

    if (gregs[REG_TRAPNO] == -1)
        gregs[REG_TRAPNO] = trap_for(sig, ((struct siginfo_head *)info)->code, gregs);
    wrapped[sig](sig, info, uc);
}

static int resolve_sigaction(void)
{
    if (!real_sigaction)
        real_sigaction = (int (*)(int, const struct sigaction *, struct sigaction *))
            dlsym(RTLD_NEXT, "sigaction");
    return real_sigaction != 0;
}

EXPORT int sigaction(int sig, const struct sigaction *act, struct sigaction *old)
{
    struct sigaction mine;
    info_handler previous;
    int ret;

    if (!resolve_sigaction()) {
        *__errno_location() = EINVAL;
        return -1;
    }
    if (!is_fault_signal(sig))
        return real_sigaction(sig, act, old);

    previous = wrapped[sig];
    if (act && (act->flags & SA_SIGINFO) && act->handler != SIG_DFL
        && act->handler != SIG_IGN) {
        /* Record the handler before the wrapper can run. */
        mine = *act;
        mine.handler = (void *)fill_trapno;
        wrapped[sig] = (info_handler)act->handler;
        ret = real_sigaction(sig, &mine, old);
        if (ret != 0)
            wrapped[sig] = previous;
    } else {
        ret = real_sigaction(sig, act, old);
    }
    /* Callers see their own handler, never the wrapper. */
    if (ret == 0 && old && old->handler == (void *)fill_trapno)
        old->handler = (void *)previous;
    return ret;
}

/* --- Exported mmap ---------------------------------------------------------- */

EXPORT void *mmap(void *addr, size_t len, int prot, int flags, int fd,
                  off_t off)
{
    /* Like glibc, read the 32-bit offset as unsigned (files up to 4 GiB). */
    return do_mmap(addr, len, prot, flags, fd, (unsigned long)off);
}

EXPORT void *mmap64(void *addr, size_t len, int prot, int flags, int fd,
                    off64_t off)
{
    return do_mmap(addr, len, prot, flags, fd, off);
}
