#!/usr/bin/env bash
exit 77
