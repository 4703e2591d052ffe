// Draws the report's charts from the data in #report-data, then notes in #chart-check how many
// of them drew something (a canvas that is not blank), for the browser test.
(function () {
    'use strict';
    var check = document.getElementById('chart-check');
    var drawn = 0;
    try {
        var data = JSON.parse(document.getElementById('report-data').textContent);
        Chart.defaults.animation = false;
        Chart.defaults.responsive = true;
        Chart.defaults.maintainAspectRatio = false;
        var pass = '#2e9d44', fail = '#d03030', line = '#333';
        var hours = [];
        for (var h = 0; h < 24; ++h) hours.push((h < 10 ? '0' : '') + h);
        new Chart(document.getElementById('chart-hours'), {
            type: 'bar',
            data: {labels: hours, datasets: [
                {label: 'PASS', data: data.hours.pass, backgroundColor: pass},
                {label: 'FAIL', data: data.hours.fail, backgroundColor: fail}]},
            options: {scales: {x: {stacked: true, title: {display: true, text: 'hour of the day'}},
                               y: {stacked: true, beginAtZero: true, ticks: {precision: 0}, title: {display: true, text: 'presses'}}}}
        });
        new Chart(document.getElementById('chart-failures'), {
            type: 'bar',
            data: {
                labels: data.failures.map(function (f) { return [f.code, f.meaning]; }),
                datasets: [
                    {type: 'line', label: 'cumulative %', data: data.failures.map(function (f) { return f.cumulative; }),
                     yAxisID: 'share', borderColor: line, backgroundColor: line},
                    {label: 'FAIL presses', data: data.failures.map(function (f) { return f.count; }),
                     backgroundColor: fail, yAxisID: 'count'}]},
            options: {scales: {count: {position: 'left', beginAtZero: true, ticks: {precision: 0}, title: {display: true, text: 'presses'}},
                               share: {position: 'right', min: 0, max: 100, grid: {drawOnChartArea: false},
                                       title: {display: true, text: 'cumulative %'}}}}
        });
        new Chart(document.getElementById('chart-cycle'), {
            type: 'bar',
            data: {labels: data.cycle.labels, datasets: [
                {label: 'passing runs (bars of ' + data.cycle.barMs + ' ms)', data: data.cycle.counts,
                 backgroundColor: '#3a6fb0', barPercentage: 1.0, categoryPercentage: 1.0}]},
            options: {scales: {x: {title: {display: true, text: 'cycle time (run_ms), from'}},
                               y: {beginAtZero: true, ticks: {precision: 0}, title: {display: true, text: 'runs'}}}}
        });
        new Chart(document.getElementById('chart-yield'), {
            type: 'bar',
            data: {labels: data.yield.map(function (s) { return s.title; }), datasets: [
                {label: 'first-pass yield %', data: data.yield.map(function (s) { return s.firstPass; }), backgroundColor: '#7fb77e'},
                {label: 'final yield %', data: data.yield.map(function (s) { return s.final; }), backgroundColor: pass}]},
            options: {scales: {y: {min: 0, max: 100, title: {display: true, text: '%'}}},
                      plugins: {tooltip: {callbacks: {title: function (items) {
                          return data.yield[items[0].dataIndex].station; }}}}}
        });
        new Chart(document.getElementById('chart-fixtures'), {
            type: 'bar',
            data: {labels: data.fixtures.map(function (f) { return f.fixture === '' ? f.title : [f.title, 'fixture ' + f.fixture]; }),
                   datasets: [{label: 'first-pass yield %', data: data.fixtures.map(function (f) { return f.firstPass; }),
                                backgroundColor: '#7fb77e'}]},
            options: {scales: {y: {min: 0, max: 100, title: {display: true, text: '%'}}},
                      plugins: {tooltip: {callbacks: {
                          title: function (items) {
                              var f = data.fixtures[items[0].dataIndex];
                              return f.station + (f.fixture === '' ? '' : ', fixture ' + f.fixture); },
                          footer: function (items) { return data.fixtures[items[0].dataIndex].boards + ' boards'; }}}}}
        });
        var canvases = document.querySelectorAll('canvas');
        canvases.forEach(function (canvas) {
            var pixels = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
            var blank = true;
            for (var i = 3; i < pixels.length; i += 4) {
                if (pixels[i] !== 0) { blank = false; break; }
            }
            canvas.setAttribute('data-drawn', blank ? 'no' : 'yes');
            if (!blank) ++drawn;
        });
        check.setAttribute('data-drawn', String(drawn));
        check.textContent = drawn + ' of ' + canvases.length + ' charts drawn';
    } catch (error) {
        check.setAttribute('data-error', String(error));
        check.textContent = 'the charts failed: ' + error;
    }
}());
