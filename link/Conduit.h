/* Conduit: the link library between Velt Studio and the instrument.
   Eight plain C functions, each returning an unsigned 8-bit result. */
#ifndef CONDUIT_H
#define CONDUIT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CONDUIT_EXPORT __attribute__((visibility("default")))

CONDUIT_EXPORT uint8_t InitUSB(void);
CONDUIT_EXPORT uint8_t CloseUSB(void);
CONDUIT_EXPORT uint8_t ConnectUSB(void);
CONDUIT_EXPORT uint8_t USBStatus(void);
CONDUIT_EXPORT uint8_t SendServiceBuffer(const uint8_t* buffer);
CONDUIT_EXPORT uint8_t CheckServiceBuffer(uint8_t* buffer);
CONDUIT_EXPORT uint8_t SendBulkBuffer(const uint8_t* data, uint16_t length);
CONDUIT_EXPORT uint8_t CheckBulkBuffer(uint8_t* destination, uint16_t length);

#ifdef __cplusplus
}
#endif

#endif
