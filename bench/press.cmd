@echo off
rem One press of the start button as a line engineer would write it in a batch file instead of
rem the station, for the press benchmark: the probe query, the image's salted double MD5 against
rem merge.crc, the programming run with erase, the verdict from the tool's markers, two lines in
rem the daily log and one in the day's record. Lives in the station folder; exits 0 on PASS.
rem md5hash.exe prints a file's MD5 as certutil -hashfile FILE MD5 prints it on its second line.
setlocal
cd /d "%~dp0"
rem The day as yyyy-mm-dd from a date such as "2024/03/05" and the weekday.
for /f "tokens=1" %%d in ("%date:/=-%") do set day=%%d
set log=logs\%day%.log

set serial=
for /f "delims=" %%s in ('bin\nrfjprog.exe -i') do set serial=%%s
if "%serial%"=="" (
    echo %time% [error]no probe>>"%log%"
    exit /b 1
)

for /f %%h in ('md5hash.exe merge.hex') do set image_md5=%%h
for %%c in (A B C D E F) do call set image_md5=%%image_md5:%%c=%%c%%
<nul set /p =jq%image_md5%qevo>logs\salted.tmp
for /f %%h in ('md5hash.exe logs\salted.tmp') do set crc=%%h
for /f %%c in (merge.crc) do set stored=%%c
if /i not "%crc%"=="%stored%" (
    echo %time% [error]checksum mismatch>>"%log%"
    exit /b 1
)
echo %time% [info ]CRC=%stored%>>"%log%"

pushd bin
nrfjprog.exe -e --program ..\merge.hex --verify --rbp ALL --pinreset >..\logs\run.tmp 2>&1
popd
set verdict=FAIL
rem find, not findstr: Wine's findstr finds everything.
find "Verify OK" logs\run.tmp >nul
if not errorlevel 1 set verdict=PASS
find "ERROR:" logs\run.tmp >nul
if not errorlevel 1 set verdict=FAIL
type logs\run.tmp>>"%log%"
echo %time% [info ]%verdict%>>"%log%"
echo %day% %time%,%serial%,merge.hex,%stored%,yes,%verdict%>>"logs\%day%.csv"
if not "%verdict%"=="PASS" exit /b 1
