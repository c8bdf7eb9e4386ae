// The store stand-in's own calls, beside the store interface (wyapi.h) that
// programs use. For tests and tools that run longer than one page.
#ifndef WY_PLATFORM_STORE_WYAPI_SIM_H
#define WY_PLATFORM_STORE_WYAPI_SIM_H

#ifdef __cplusplus
extern "C" {
#endif

// Reads in this process use one snapshot of the store: taken at the first
// read, renewed by the process's own sets and unsets, never by others' writes.
// After this call the next read looks at the store file again (re-parsing it
// only when it changed) and takes a new snapshot.
void wyapi_sim_refresh(void);

#ifdef __cplusplus
}
#endif

#endif
