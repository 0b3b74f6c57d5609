// The sections of the communication library's benchmark. Each Begin sets up what its cases need
// (peers, servers, globals) and registers them; End takes it all down once they have run, so the
// sections never share the process-wide blocks.
#pragma once

bool BeginLinks();  // node records against raw TCP
void EndLinks();
bool BeginCrypto();  // TLS and KVT against plain links
void EndCrypto();
bool BeginSocketWait();  // the socket wait over many idle links against poll
void EndSocketWait();
bool BeginDownloads();  // HTTP and FTP downloads against curl
void EndDownloads();
