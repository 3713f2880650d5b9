#ifndef COMMON_MEXVERSION_H
#define COMMON_MEXVERSION_H

extern "C" const char* mexVersion(void);

#endif
