# The release date in the forms the installed files give it, reckoned here rather than by the
# clock or a locale, so every build of one release names the same day:
#   MENSURIO_RELEASE_YEAR            2026                              (copyright)
#   MENSURIO_RELEASE_MONTH           December 2026                     (manual page)
#   MENSURIO_RELEASE_CHANGELOG_DATE  Mon, 07 Dec 2026 12:00:00 +0000   (Debian changelog)
function(mensurio_release_date date)
  if(NOT date MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "MENSURIO_RELEASE_DATE is no YYYY-MM-DD date: ${date}")
  endif()
  set(year ${CMAKE_MATCH_1})
  set(day_of_month ${CMAKE_MATCH_3})
  # The leading 1 keeps 08 and 09 from being read as octal.
  math(EXPR month_index "1${CMAKE_MATCH_2} - 101")
  math(EXPR day "1${day_of_month} - 100")
  set(month_names January February March April May June July August September October
      November December)
  list(GET month_names ${month_index} month_name)
  # The weekday by Sakamoto's rule, 0 for Sunday; January and February count with the year
  # before.
  set(month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
  list(GET month_offsets ${month_index} offset)
  set(y ${year})
  if(month_index LESS 2)
    math(EXPR y "${y} - 1")
  endif()
  math(EXPR weekday "(${y} + ${y} / 4 - ${y} / 100 + ${y} / 400 + ${offset} + ${day}) % 7")
  set(weekday_names Sun Mon Tue Wed Thu Fri Sat)
  list(GET weekday_names ${weekday} weekday_name)
  string(SUBSTRING "${month_name}" 0 3 month_abbreviation)
  set(MENSURIO_RELEASE_YEAR ${year} PARENT_SCOPE)
  set(MENSURIO_RELEASE_MONTH "${month_name} ${year}" PARENT_SCOPE)
  set(MENSURIO_RELEASE_CHANGELOG_DATE
      "${weekday_name}, ${day_of_month} ${month_abbreviation} ${year} 12:00:00 +0000" PARENT_SCOPE)
endfunction()
mensurio_release_date("${MENSURIO_RELEASE_DATE}")
