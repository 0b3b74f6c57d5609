// A shared library outside the module contract: it exports no DynamicInheritOstrel.
extern "C" int PlainModuleAnswer() { return 42; }
