#!/usr/bin/env python3
import sys
if "--list" in sys.argv:
    print("stub.bmp")
