// The Windows program's windows live in this library so that GUI tests can link them.
