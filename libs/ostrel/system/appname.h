#pragma once

// The application name in the globals ("Noname" while there are none). Names of 160 characters
// or more are ignored; setting the name always logs the start-up "INIT" line.
const char* GetApplicationName();
void SetApplicationName(const char* name);

// A second, library-wide name of at most 79 characters ("NoName" until set).
const char* GetFileName();
void SetFileName(const char* name);
