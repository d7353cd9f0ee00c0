#pragma once
// The private message protocol between the supervisor and the hook library
// (and the 64-bit companion). Plain constants only: the hook library includes
// this without a C runtime.

namespace ql::hookproto {

// Posted by the supervisor to a session's root window. wParam: the session's
// slot; lParam: the window that receives the reports.
constexpr unsigned kStartMessage = 0x0400 + 3;  // WM_USER+3
// Posted by the hook library to the report window. wParam: the report kind;
// lParam: the slot. Posted to a hooked window it is the re-target message:
// wParam the new slot, lParam the report window (taken only when it is the
// window the reports already go to).
constexpr unsigned kReportMessage = 0x0400 + 4;  // WM_USER+4

// The window class of the supervisor's status window, the one window that
// start messages name as the receiver of reports.
constexpr char kReportWindowClass[] = "TQL_Main";

// Report kinds: wParam of the report message.
constexpr unsigned kControlStarted = 0;
constexpr unsigned kKeyDown = 1;
constexpr unsigned kMouseClick = 2;
// A key that the supervisor typed itself (its key script): never a person's use.
constexpr unsigned kOwnKeyDown = 3;

// The extra information the supervisor gives every key it types (the
// dwExtraInfo of keybd_event and SendInput). The keyboard hook reads it back
// with GetMessageExtraInfo and reports such a key as kOwnKeyDown, so each of
// the supervisor's keys is told from a person's key by itself, not by when
// it came. Only the low 32 bits are compared: they cross between 32-bit and
// 64-bit processes unchanged.
constexpr unsigned kOwnInputMarker = 0x514C4B53u;

// As many sessions as the supervisor tracks; the slot numbers run 0 to 29.
constexpr int kSessionSlots = 30;

// The most steps a walk up a window's chain of parents and owners takes.
// Real chains are short; the bound only guards against a cycle.
constexpr int kMaxRootWalk = 64;

// The 64-bit companion host, which places and removes hooks of QL_lib64.dll
// on the supervisor's behalf. It owns no window: it is reached only through
// the channel the supervisor makes and hands down when it starts it, two
// anonymous pipes and two events given as inherited handles on its command
// line, so no other program can ask it for anything.
//   QL_host64.exe <supervisor> <requests> <request ready> <answers> <answer ready>
// <supervisor> is a handle of the supervisor's process (the host ends with
// it); each request is written whole to <requests> and announced by setting
// <request ready>; each answer is one CompanionAnswer written to <answers>
// and announced by setting <answer ready>. The first answer, unasked, says
// that the host is ready.
constexpr char kCompanionHost[] = "QL_host64.exe";
constexpr char kCompanionLibrary[] = "QL_lib64.dll";
constexpr int kCompanionChannelHandles = 5;

// Fixed-width fields only: a 32-bit supervisor talks to a 64-bit host.
struct CompanionRequest {
    unsigned verb;      // one of the verbs below
    unsigned argument;  // the hook kind (2 keyboard, 3 get-message), or a handle answered before
    unsigned thread;    // the thread to hook
};
// Answer: the hook handle's low 32 bits (user handles are 32-bit on every
// Windows), or 0 minus the system error code when the hook was refused.
constexpr unsigned kPlaceHook = 1;
// Answer: 1 when the hook was one the host placed and is now removed.
constexpr unsigned kRemoveHook = 2;

struct CompanionAnswer {
    int value;
};
// The unasked first answer.
constexpr int kCompanionReady = 0x5148;  // "QH"

}  // namespace ql::hookproto
