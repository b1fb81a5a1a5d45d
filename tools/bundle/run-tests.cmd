@echo off
rem Runs every test program of this bundle that can run on this PC, for each architecture the PC
rem runs, and writes results.txt beside this file. Exit code 1 when a test program failed.
rem Safe on a real PC: the tests start only the stand-in netsh.exe in <arch>\stand-in, change no
rem adapter, and write only in the temporary folder and this folder (see README.txt).
rem NETSCHEME_BUNDLE_TESTS may name the programs to run (default: all of them).
setlocal EnableExtensions DisableDelayedExpansion
rem Into the bundle's folder before delayed expansion is on: it would eat a "!" in the path.
cd /d "%~dp0"
set "SCRIPT=%~nx0"
setlocal EnableDelayedExpansion
set NETSCHEME_TEST_BUNDLE=1
set "RESULTS=results.txt"
set "FIND=%SystemRoot%\System32\find.exe"
set /a PASSED=0, FAILED=0, SKIPPED=0
if not defined NETSCHEME_BUNDLE_TESTS set "NETSCHEME_BUNDLE_TESTS=textfile_tests schemes_tests netconfig_tests form_tests win32_tests"

set BUILD=unknown
for /f "tokens=3" %%b in ('reg query "HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion" /v CurrentBuildNumber 2^>nul ^| "%FIND%" "CurrentBuildNumber"') do set BUILD=%%b
set ACP=unknown
for /f "tokens=3" %%c in ('reg query HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage /v ACP 2^>nul ^| "%FIND%" "ACP"') do set ACP=%%c
set OEMCP=unknown
for /f "tokens=3" %%c in ('reg query HKLM\SYSTEM\CurrentControlSet\Control\Nls\CodePage /v OEMCP 2^>nul ^| "%FIND%" "OEMCP"') do set OEMCP=%%c
set DPI=96 (0x60, default)
for /f "tokens=3" %%d in ('reg query "HKCU\Control Panel\Desktop" /v LogPixels 2^>nul ^| "%FIND%" "LogPixels"') do set DPI=%%d
for /f "tokens=3" %%d in ('reg query "HKCU\Control Panel\Desktop\WindowMetrics" /v AppliedDPI 2^>nul ^| "%FIND%" "AppliedDPI"') do set DPI=%%d

rem The machine's own architecture, also for a 32-bit cmd on 64-bit Windows.
set MACHINE=%PROCESSOR_ARCHITECTURE%
if defined PROCESSOR_ARCHITEW6432 set MACHINE=%PROCESSOR_ARCHITEW6432%
set RUN_x64=yes
set RUN_x86=yes
if /i "%MACHINE%"=="x86" (
  set RUN_x64=no
  set "WHY_x64=32-bit Windows runs no 64-bit programs"
)
if /i "%MACHINE%"=="ARM64" if "%BUILD%" LSS "22000" (
  set RUN_x64=no
  set "WHY_x64=Windows 10 on ARM runs no x64 programs (Windows 11 does)"
)
if /i not "%MACHINE%"=="x86" if not exist "%SystemRoot%\SysWOW64\kernel32.dll" (
  set RUN_x86=no
  set "WHY_x86=this Windows has no WOW64: it runs no 32-bit programs"
)

rem Every log and results.txt go beside this file: where they cannot be written (a read-only share,
rem a folder inside the zip) nothing may be counted, so nothing is run. Asked by what is there
rem afterwards: not every cmd sets the status a failed redirection leaves.
set "PROBE=writable-%RANDOM%%RANDOM%.tmp"
for %%f in ("%PROBE%" "x64\%PROBE%" "x86\%PROBE%") do (
  type nul > %%f 2>nul
  if not exist %%f goto :unwritable
  del %%f
)


for /f "tokens=*" %%v in ('ver') do set "VERSION=%%v"
> "%RESULTS%" echo netscheme test bundle
>> "%RESULTS%" echo Windows: !VERSION! build %BUILD%
>> "%RESULTS%" echo Architecture: %MACHINE% (this cmd: %PROCESSOR_ARCHITECTURE%)
>> "%RESULTS%" echo ANSI code page: %ACP%, OEM code page: %OEMCP%
>> "%RESULTS%" echo DPI: %DPI%
>> "%RESULTS%" echo.

for %%a in (x64 x86) do (
  for %%t in (%NETSCHEME_BUNDLE_TESTS%) do call :run %%a %%t
)

echo.
echo tests: %PASSED% passed, %FAILED% failed, %SKIPPED% skipped
>> "%RESULTS%" echo.
>> "%RESULTS%" echo tests: %PASSED% passed, %FAILED% failed, %SKIPPED% skipped
call :pause
if %FAILED% gtr 0 exit /b 1
exit /b 0

:unwritable
echo This folder cannot be written to: unzip the test bundle into a folder you can write to.
rem cmd reads this file in the OEM code page: the next line is in code page 936.
echo 请把测试包解压到可以写入的文件夹。
call :pause
exit /b 2

:pause
rem Started by a double-click, the window would close before the results could be read.
set "LAUNCH=!cmdcmdline!"
if not defined NETSCHEME_NO_PAUSE if not "!LAUNCH:%SCRIPT%=!"=="!LAUNCH!" pause
goto :eof

:run
if "!RUN_%1!"=="no" (
  call :outcome skipped %1 %2 "!WHY_%1!"
  goto :eof
)
rem Through run_quietly: a program this Windows cannot load ends with the loader's code, no box.
rem A log that could not be written leaves errorlevel 0 under some cmds: a program counts as passed
rem only when its log holds the test runner's own summary.
"%1\run_quietly.exe" "%1\%2.exe" --gtest_brief=1 > "%1\%2.log" 2>&1
set CODE=!errorlevel!
set SUMMARY=no
"%FIND%" "[  PASSED  ]" "%1\%2.log" >nul 2>&1
if not errorlevel 1 set SUMMARY=yes
if "!CODE!"=="0" if "!SUMMARY!"=="yes" (
  call :outcome passed %1 %2
  goto :eof
)
if "!CODE!"=="0" (
  call :outcome FAILED %1 %2 "it ended without the test runner's summary, see %1\%2.log"
) else if "!CODE!"=="-1073741515" (
  call :outcome skipped %1 %2 "this Windows lacks a DLL it needs (0xC0000135)"
) else if "!CODE!"=="-1073741511" (
  call :outcome skipped %1 %2 "this Windows lacks a function it needs (0xC0000139)"
) else (
  call :outcome FAILED %1 %2 "exit code !CODE!, see %1\%2.log"
)
goto :eof

:outcome
set "LINE=%1 %2\%3"
if not "%~4"=="" set "LINE=!LINE!: %~4"
if "%1"=="passed" set /a PASSED+=1
if "%1"=="skipped" set /a SKIPPED+=1
if "%1"=="FAILED" set /a FAILED+=1
echo !LINE!
>> "%RESULTS%" echo !LINE!
goto :eof
