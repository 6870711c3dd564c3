#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into tests/fuzz/corpus/<target>/.

A few sound files and a few damaged ones per target. The default store and profile come from
karvoctl (give its path); everything else is built here from the record layouts:

  profile record (32976 bytes): name UTF-16 x100 @0, dpi_value int32 x8 @2244, stage_enabled @2308,
    brightness @2340, breath_speed @2344, sleep_timer @2348, current_stage @2352,
    polling_rate @2356, light_effect @2364, light_color @2380, buttons x24 @2448 (1272 bytes each:
    function @1, key_code @3, modifiers @7, macro_repeat_mode @12, macro_name UTF-16 x24 @16,
    macro_loop_count @64, macro_action_count uint16 @68, macro_index @1072, macro_option @1084,
    actions @1088 as key, kind, delay uint16)
  pro.data: current index uint32 @0, reserved to 164884, then the records
  macro record (240 bytes): name UTF-16 x24 @0, button_parameter @48, action_count @52,
    actions @56 (4 bytes each)

Usage: tests/fuzz/make_corpus.py build/bin/karvoctl
"""
import os
import struct
import subprocess
import sys
import tempfile

HEADER = 164884
PROFILE = 32976
MACRO = 240
BUTTONS = 2448
BUTTON = 1272
INT_MIN, INT_MAX = -2**31, 2**31 - 1


def put(data, offset, fmt, *values):
    struct.pack_into('<' + fmt, data, offset, *values)


def name_field(text, units):
    raw = text.encode('utf-16-le')[: (units - 1) * 2]
    return raw + b'\0' * (units * 2 - len(raw))


def macro(name, actions, count=None):
    data = bytearray(MACRO)
    data[0:48] = name_field(name, 24)
    put(data, 52, 'i', len(actions) if count is None else count)
    for i, (key, kind, delay) in enumerate(actions):
        put(data, 56 + 4 * i, 'BBH', key, kind, delay)
    return data


def bind_macro(profile, button, name, actions, count=None):
    at = BUTTONS + BUTTON * button
    put(profile, at + 1, 'B', 17)
    profile[at + 16:at + 64] = name_field(name, 24)
    put(profile, at + 64, 'i', 1)
    put(profile, at + 68, 'H', len(actions) if count is None else count)
    for i, (key, kind, delay) in enumerate(actions):
        put(profile, at + 1088 + 4 * i, 'BBH', key, kind, delay)


def write(target, name, data):
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(bytes(data))


def step(op, a, b):
    return struct.pack('<BHH', op, a, b)


def main():
    karvoctl = sys.argv[1]
    with tempfile.TemporaryDirectory() as tmp:
        data_dir = tmp + '/'
        subprocess.run([karvoctl, '--data-dir', data_dir, 'export-profile', '0', tmp + '/d.pro'],
                       check=True, stdout=subprocess.DEVNULL)
        store = open(tmp + '/ms_1/pro.data', 'rb').read()
        default = bytearray(open(tmp + '/d.pro', 'rb').read())
    assert len(store) == HEADER + PROFILE and len(default) == PROFILE

    burst = [(4, 1, 2000), (4, 2, 10), (0xF1, 1, 1271), (0xF1, 2, 1)]
    bound = bytearray(default)
    bind_macro(bound, 4, 'Burst', burst)
    bind_macro(bound, 11, 'Tail', [(5, 1, 1280), (5, 2, 1281)])
    extreme = bytearray(default)
    put(extreme, 2244, '8i', INT_MAX, INT_MIN, -1, 0, 60, 61, 240, 241)
    put(extreme, 2340, '4i', INT_MIN, INT_MIN, INT_MAX, INT_MAX)
    put(extreme, 2364, 'i', 9)
    bind_macro(extreme, 0, 'Huge', burst, count=0xFFFF)
    unterminated = bytearray(default)
    unterminated[0:200] = 'X'.encode('utf-16-le') * 100

    # Profile stores.
    two = bytearray(store + bound)
    put(two, 0, 'I', 1)
    bad_index = bytearray(store)
    put(bad_index, 0, 'I', 7)
    write('profile_store_fuzz', 'default.data', store)
    write('profile_store_fuzz', 'two_profiles.data', two)
    write('profile_store_fuzz', 'index_out_of_range.data', bad_index)
    write('profile_store_fuzz', 'partial_record.data', store + default[:1000])
    write('profile_store_fuzz', 'header_only.data', store[:HEADER])
    write('profile_store_fuzz', 'short_header.data', store[:4000])

    # Macro stores.
    one = macro('Burst', burst)
    write('macro_store_fuzz', 'one.data', one)
    write('macro_store_fuzz', 'two.data', one + macro('Long', [(7, 1, 65535)] * 46))
    write('macro_store_fuzz', 'partial_record.data', one + one[:100])
    write('macro_store_fuzz', 'count_out_of_range.data', macro('Bad', burst, count=99) + one)
    write('macro_store_fuzz', 'unterminated_name.data', b'A\0' * 24 + one[48:])

    # *.pro files.
    write('profile_import_fuzz', 'default.pro', default)
    write('profile_import_fuzz', 'macros_bound.pro', bound)
    write('profile_import_fuzz', 'huge_action_count.pro', extreme)
    write('profile_import_fuzz', 'unterminated_name.pro', unterminated)
    write('profile_import_fuzz', 'short.pro', default[:100])
    write('profile_import_fuzz', 'trailing_bytes.pro', bound + b'\xff' * 16)

    # *.macro files.
    write('macro_import_fuzz', 'burst.macro', one)
    write('macro_import_fuzz', 'full.macro', macro('Full', [(9, 1, 1300)] * 46))
    write('macro_import_fuzz', 'count_47.macro', macro('Over', burst, count=47))
    write('macro_import_fuzz', 'count_negative.macro', macro('Under', burst, count=-1))
    write('macro_import_fuzz', 'unterminated_name.macro', b'A\0' * 24 + one[48:])
    write('macro_import_fuzz', 'short.macro', one[:100])

    # Records for the encoders and the dump.
    write('report_fuzz', 'default.pro', default)
    write('report_fuzz', 'macros_bound.pro', bound)
    write('report_fuzz', 'extreme_values.pro', extreme)
    write('report_fuzz', 'all_ones.pro', b'\xff' * PROFILE)

    # Device event sequences: start flags, then (operation, word, word) steps.
    write('device_events_fuzz', 'cable_dpi_button.bin',
          bytes([0x01]) + step(0, 0, 3) + step(0, 0, 9) + step(6, 0, 0))
    write('device_events_fuzz', 'receiver_status_watchdog.bin',
          bytes([0x02]) + step(0, 2, 0x0701) + step(0, 3, 5) + step(5, 0, 0) + step(0, 2, 0x0A00))
    write('device_events_fuzz', 'receiver_arrival_removal.bin',
          bytes([0x00]) + step(3, 0, 0) + step(4, 0, 0) + step(0, 5, 2) + step(3, 1, 0) + step(6, 0, 0))
    write('device_events_fuzz', 'crafted_stage_apply.bin',
          bytes([0x03]) + step(7 | 0x80, 588, 0x7FFF) + step(7, 586, 0xFFFF) + step(8, 0, 1) + step(6, 0, 0))
    write('device_events_fuzz', 'ble_only.bin',
          bytes([0x24 | 0x18]) + step(0, 4, 3) + step(0, 1, 4) + step(6, 0, 0) + step(2, 3, 0x1003))


if __name__ == '__main__':
    main()
