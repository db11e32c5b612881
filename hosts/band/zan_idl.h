#ifndef ZAN_HOSTS_BAND_ZAN_IDL_H_
#define ZAN_HOSTS_BAND_ZAN_IDL_H_

// The interface, class and library of the type library, as widl makes them
// from resources/ZAN.idl in the build tree.
#include "ZAN_generated.h"

#endif  // ZAN_HOSTS_BAND_ZAN_IDL_H_
