/* A DLL with nothing in it but the resources some are given: version resources, or none at all. */
int qvx_empty;
