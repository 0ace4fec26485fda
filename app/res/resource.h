// Resource and control ids of the checker dialog; shared by the template and the code.
#pragma once

#define IDD_CHECKER 101
#define IDC_REPORT 1000
#define IDC_EXPORT 1001
