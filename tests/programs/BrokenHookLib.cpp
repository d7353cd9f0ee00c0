// A hook library that lacks _InterceptaR: the supervisor must refuse it
// although it never installs that procedure. Its procedures are never called.
extern "C" int StubProcedure() { return 0; }
