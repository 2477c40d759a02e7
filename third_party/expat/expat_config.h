/* The build settings of Debian 12's libexpat1 (its configure run's expat_config.h), for the copy
   of Expat built here. */
#ifndef EXPAT_CONFIG_H
#define EXPAT_CONFIG_H 1

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
#  define BYTEORDER 4321
#  define WORDS_BIGENDIAN 1
#else
#  define BYTEORDER 1234
#endif

#define HAVE_ARC4RANDOM_BUF 1
#define HAVE_GETRANDOM 1
#define HAVE_SYSCALL_GETRANDOM 1
#define XML_DEV_URANDOM 1

#define XML_CONTEXT_BYTES 1024
#define XML_DTD 1
#define XML_NS 1

#endif
