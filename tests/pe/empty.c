/* A module with nothing in it but what its resource script adds. */
int qvx_test_module_marker;
