@echo off
rem Installs the bank client after setup; here it only says what it would do.
echo Bank client setup for %COMPUTERNAME% from %SourceRoot%
