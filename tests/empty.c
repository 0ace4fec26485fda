/* A DLL with nothing in it but what a resource script may add: the version resources, and the
   ddraw.dll and dsound.dll planted beside a copy of the checker, which has to pass them by. */
int qvx_empty;
