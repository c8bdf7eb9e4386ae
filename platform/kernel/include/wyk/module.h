/*
 * Module glue of the kernel stand-in (section markers, licence, parameters,
 * entry points, error numbers): for the module's own source only.
 */
#ifndef WYK_MODULE_H
#define WYK_MODULE_H

#include <wyk/kernel.h>

#define EBUSY 16
#define ENOMEM 12

#define __init
#define __exit
#define EXPORT_SYMBOL(sym)
#define EXPORT_SYMBOL_GPL(sym)
#define MODULE_LICENSE(text) const char wyk_module_license[] = text
#define MODULE_DESCRIPTION(text)
#define MODULE_AUTHOR(text)
#define MODULE_PARM_DESC(name, text)
#define module_param_named(name, var, type, perm) \
	static const char wyk_param_##name[] __attribute__((unused)) = #name
#define module_param(name, type, perm) module_param_named(name, name, type, perm)
/* The stand-in loads one module: its entry points are reachable by these names. */
#define module_init(fn) int (*const wyk_module_init)(void) = fn
#define module_exit(fn) void (*const wyk_module_exit)(void) = fn

#endif
