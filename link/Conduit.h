/* Conduit: the link library between Velt Studio and the instrument.
   Eight plain C functions, each returning an unsigned 8-bit result, and one
   optional ninth that says in words what the library sees (a program that
   does not bind it works with the eight). */
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

/* What USBStateDescription returns: where instruments come from and how the
   last search for one went. 0: nothing written (no buffer). */
#define CONDUIT_STATE_USB 1          /* real instruments through the device table */
#define CONDUIT_STATE_USB_REFUSED 2  /* one is present but cannot be opened */
#define CONDUIT_STATE_SIMULATED 3    /* the simulated instrument (CONDUIT_SIMULATOR) */

/* One line for the user, NUL-terminated and cut to fit `size` bytes: the
   simulated profile, or the device table's path and whether an instrument
   of it is present, or why a present one cannot be opened (libusb's error
   name). Plain ASCII but for the paths, which are the file system's bytes. */
CONDUIT_EXPORT uint8_t USBStateDescription(char* buffer, uint16_t size);

#ifdef __cplusplus
}
#endif

#endif
