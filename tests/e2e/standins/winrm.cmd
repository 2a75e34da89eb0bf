@echo off
rem Stand-in for the WinRM command-line tool. It keeps a pretend HTTP listener
rem as the file winrm-listener.txt beside itself, and reads how to behave from
rem winrm-mode.txt beside itself (first word):
rem   old     quickconfig on a configured server uses the older wording (default)
rem   new     ... the newer wording
rem   denied  every command fails with "Access is denied." on standard error
setlocal
set "MODE=old"
if exist "%~dp0winrm-mode.txt" for /f "usebackq tokens=1" %%m in ("%~dp0winrm-mode.txt") do set "MODE=%%m"
set "LISTENER=%~dp0winrm-listener.txt"
if /i "%MODE%"=="denied" goto denied
if /i "%~1"=="quickconfig" goto quickconfig
if /i "%~1"=="delete" goto delete
echo Unknown command: %* 1>&2
exit /b 1

:quickconfig
if exist "%LISTENER%" goto already
echo HTTP> "%LISTENER%"
echo WinRM has been updated to receive requests.
echo.
echo WinRM service type changed successfully.
echo WinRM service started.
echo.
echo WinRM has been updated for remote management.
echo Created a WinRM listener on HTTP://* to accept WS-Man requests to any IP on this machine.
exit /b 0

:already
if /i "%MODE%"=="new" goto alreadynew
echo WinRM already is set up to receive requests on this machine.
echo WinRM already is set up for remote management on this machine.
exit /b 0

:alreadynew
echo WinRM service is already running on this machine.
echo WinRM is already set up for remote management on this computer.
exit /b 0

:delete
if not exist "%LISTENER%" goto nolistener
del "%LISTENER%"
exit /b 0

:nolistener
echo WSManFault 1>&2
echo     Message = The service cannot find the resource identified by the resource URI and selectors. 1>&2
echo. 1>&2
echo Error number:  -2144108544 0x80338000 1>&2
exit /b 1

:denied
echo WSManFault 1>&2
echo     Message = Access is denied. 1>&2
echo. 1>&2
echo Error number:  -2147024891 0x80070005 1>&2
exit /b 1
