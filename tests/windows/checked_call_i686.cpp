// A call made the way a foreign 32-bit caller makes it, with the stack pointer measured.
//
//   uint32_t qv_checked_call(void* function, const uint32_t* arguments, uint32_t count,
//                            uint32_t misalignment, int32_t* popped);   (cdecl)
//
// Pushes `count` 32-bit arguments (arguments[0] last, so it lies lowest), arranged so that the
// stack pointer at the call instruction is 16-byte aligned minus `misalignment` (0 for the
// alignment GCC prefers; 4, 8 or 12 for a caller that keeps only the 4-byte alignment Windows
// guarantees). After the call, *popped receives how many bytes the callee removed: 4 * count
// for the standard Windows convention, 0 for cdecl. The stack pointer is restored from the
// frame pointer whatever the callee did, and the function's 32-bit result is returned.
//
// Written as file-scope assembly: the harness must not depend on how the compiler of the day
// would set up the call.
#ifndef __i386__
#error "the checked call measures the 32-bit stack: build it for i686 only"
#endif

asm(R"(
    .text
    .globl _qv_checked_call
    .def _qv_checked_call; .scl 2; .type 32; .endef
_qv_checked_call:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi

    movl 12(%ebp), %esi          /* arguments */
    movl 16(%ebp), %ecx          /* count */
    /* aligned = (esp - 4 * count - 64) & -16; the call happens at aligned - misalignment. */
    leal 0(,%ecx,4), %edx
    movl %esp, %eax
    subl %edx, %eax
    subl $64, %eax
    andl $-16, %eax
    subl 20(%ebp), %eax          /* misalignment */
    addl %edx, %eax              /* the stack pointer before the pushes */
    movl %eax, %esp

    testl %ecx, %ecx
    jz 2f
1:  pushl -4(%esi,%ecx,4)
    decl %ecx
    jnz 1b
2:  movl %esp, %edi              /* the stack pointer at the call */
    call *8(%ebp)
    movl %esp, %ecx
    subl %edi, %ecx              /* bytes the callee removed */
    movl 24(%ebp), %edx
    movl %ecx, (%edx)

    leal -12(%ebp), %esp
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret

/* Probes of the harness itself: each returns the stack pointer at its call instruction. The
 * first removes its one argument (the standard Windows convention), the second leaves it to the
 * caller (cdecl). */
    .globl _qv_stdcall_probe@4
    .def _qv_stdcall_probe@4; .scl 2; .type 32; .endef
_qv_stdcall_probe@4:
    leal 4(%esp), %eax
    ret $4

    .globl _qv_cdecl_probe
    .def _qv_cdecl_probe; .scl 2; .type 32; .endef
_qv_cdecl_probe:
    leal 4(%esp), %eax
    ret
)");
